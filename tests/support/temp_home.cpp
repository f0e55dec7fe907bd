#include "support/temp_home.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vexa::test {
namespace {

bool Save(const char* name, std::string& value) {
  const char* v = std::getenv(name);
  if (v) value = v;
  return v != nullptr;
}

void Restore(const char* name, bool had, const std::string& value) {
  if (had)
    setenv(name, value.c_str(), 1);
  else
    unsetenv(name);
}

}  // namespace

TempHome::TempHome() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "vexa-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  root_ = tmpl;
  had_home_ = Save("HOME", old_home_);
  had_data_ = Save("XDG_DATA_HOME", old_data_);
  had_config_ = Save("XDG_CONFIG_HOME", old_config_);
  setenv("HOME", root_.c_str(), 1);
  setenv("XDG_DATA_HOME", (root_ / ".local/share").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root_ / ".config").c_str(), 1);
}

TempHome::~TempHome() {
  Restore("HOME", had_home_, old_home_);
  Restore("XDG_DATA_HOME", had_data_, old_data_);
  Restore("XDG_CONFIG_HOME", had_config_, old_config_);
  std::error_code ec;
  std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(root_, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace vexa::test
