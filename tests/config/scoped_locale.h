// Test helper: switches one locale category of the process for the helper's lifetime and
// restores the previous setting afterwards. When the locale is not installed it is
// compiled with localedef into a temporary folder (once per process) and loaded from
// there through LOCPATH. Not thread-safe: it changes the process's global locale.
#pragma once

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace vexa::test {

class ScopedLocale {
 public:
  ScopedLocale(int category, const std::string& name) : category_(category) {
    previous_ = std::setlocale(category, nullptr);
    active_ = std::setlocale(category, name.c_str()) != nullptr || LoadCompiled(name);
  }
  ~ScopedLocale() { std::setlocale(category_, previous_.c_str()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

  // Whether the locale is in force (false: not available; the test should skip).
  bool Active() const { return active_; }

 private:
  // Builds "ll_CC.UTF-8" from the system's locale sources and loads it.
  bool LoadCompiled(const std::string& name) {
    const std::string source = name.substr(0, name.find('.'));
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "vexa-test-locales";
    if (!std::filesystem::exists(folder / name)) {
      // Test processes run in parallel: each compiles into a folder of its own and renames
      // it into place, so none ever loads a half-written locale.
      std::error_code ec;
      std::filesystem::create_directories(folder, ec);
      const std::filesystem::path own = folder / (name + ".tmp" + std::to_string(getpid()));
      const std::string command =
          "localedef -i " + source + " -f UTF-8 '" + own.string() + "' >/dev/null 2>&1";
      // localedef also exits with 1 for mere warnings, having written the locale.
      const bool built = std::system(command.c_str()) == 0 ||
                         std::filesystem::exists(own / "LC_TIME", ec);
      if (built) std::filesystem::rename(own, folder / name, ec);
      std::filesystem::remove_all(own, ec);
      if (!std::filesystem::exists(folder / name)) return false;
    }
    const char* old = std::getenv("LOCPATH");
    const std::string saved = old ? old : "";
    setenv("LOCPATH", folder.c_str(), 1);
    const bool ok = std::setlocale(category_, name.c_str()) != nullptr;
    if (old)
      setenv("LOCPATH", saved.c_str(), 1);
    else
      unsetenv("LOCPATH");
    return ok;
  }

  int category_;
  std::string previous_;
  bool active_ = false;
};

// Sets (or, with an empty value, removes) an environment variable for the helper's
// lifetime. Not thread-safe.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) previous_ = old;
    if (value.empty())
      unsetenv(name);
    else
      setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_)
      setenv(name_, previous_.c_str(), 1);
    else
      unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::string previous_;
  bool had_ = false;
};

}  // namespace vexa::test
