// Test isolation: a temporary folder that stands in for the user's home.
//
// TempHome creates a fresh folder under the system temp folder, points HOME and
// XDG_DATA_HOME (and XDG_CONFIG_HOME) into it for the test's lifetime, and removes it
// afterwards, restoring the previous environment. Not thread-safe (it edits the
// process environment); use it from the test's own thread only.
#pragma once

#include <filesystem>
#include <string>

namespace vexa::test {

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  // The temporary home folder itself.
  const std::filesystem::path& Path() const { return root_; }
  // A path below the home folder (not created).
  std::filesystem::path operator/(const std::string& rel) const { return root_ / rel; }

 private:
  std::filesystem::path root_;
  std::string old_home_, old_data_, old_config_;
  bool had_home_ = false, had_data_ = false, had_config_ = false;
};

// Writes bytes to a file, creating its parent folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace vexa::test
