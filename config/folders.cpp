#include "config/folders.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "config/codepage.h"
#include "config/paths.h"

namespace vexa {
namespace {

constexpr char kConfigFile[] = "xvexadoc.xml";
constexpr char kConfigComment[] = "Vexa Search Engine config file ";
constexpr char kVendorFolder[] = "VexaDoc";

struct Folders {
  std::string program, common_data, data, logs, profiles;
  std::unique_ptr<ConfigStore> config;
};

Folders& State() {
  static Folders folders;
  return folders;
}

StartupReporter& Reporter() {
  static StartupReporter reporter;
  return reporter;
}

void Report(const std::string& caption, const std::string& text) {
  if (Reporter())
    Reporter()(caption, text);
  else
    std::cerr << caption << ": " << text << std::endl;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

// XDG_DOCUMENTS_DIR from a user-dirs.dirs file: a line XDG_DOCUMENTS_DIR="..." whose
// value is "$HOME/..." or an absolute path, with backslash escapes. Empty when absent.
std::string UserDirsDocuments(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with(kKey)) continue;
    std::string_view raw = std::string_view(line).substr(kKey.size());
    if (raw.size() < 2 || raw.front() != '"' || raw.find('"', 1) == std::string_view::npos)
      return {};
    raw = raw.substr(1, raw.find_last_of('"') - 1);
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      value += raw[i];
    }
    if (value == "$HOME" || value.starts_with("$HOME/")) return home + value.substr(5);
    return value.starts_with('/') ? value : std::string();
  }
  return {};
}

}  // namespace

std::string XdgDataHome() {
  if (const std::string xdg = Environment("XDG_DATA_HOME"); xdg.starts_with('/'))
    return ExcludeTrailingSeparator(xdg);
  if (const std::string home = Environment("HOME"); !home.empty())
    return ExcludeTrailingSeparator(home) + "/.local/share";
  return {};
}

void SetStartupReporter(StartupReporter reporter) { Reporter() = std::move(reporter); }

std::string ExecutableFolder() {
  std::error_code ec;
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  const std::string folder = FilePathPart(exe);
  if (ec || folder.empty()) return std::filesystem::current_path(ec).string();
  return ExcludeTrailingSeparator(folder);
}

std::string DocumentsFolder() {
  const std::string home = ExcludeTrailingSeparator(Environment("HOME"));
  std::string config_home = Environment("XDG_CONFIG_HOME");
  if (!config_home.starts_with('/')) config_home = home + "/.config";
  const std::string xdg = UserDirsDocuments(config_home + "/user-dirs.dirs", home);
  if (IsFolder(xdg)) return ExcludeTrailingSeparator(xdg);
  if (IsFolder(home + "/Documents")) return home + "/Documents";
  return home;
}

void InitPaths() { InitPathsAt(ExecutableFolder()); }

void InitPathsAt(const std::string& program_folder) {
  Folders f;
  f.program = ExcludeTrailingSeparator(program_folder);
  f.common_data = XdgDataHome();
  if (f.common_data.empty())
    Report("Module Paths",
           std::string("Error 1 in initialization module Paths ") + kNoDataHomeReason);

  const std::string vendor = f.common_data + "/" + kVendorFolder;
  std::error_code ec;
  if (std::filesystem::is_regular_file(f.program + "/" + kConfigFile, ec)) {
    f.data = f.program;  // portable placement
  } else {
    f.data = vendor;
    EnsureFolder(f.data);
  }
  f.config = std::make_unique<ConfigStore>(f.data + "/" + kConfigFile, kConfigComment);

  std::vector<std::string> indexed;
  f.config->ReadList("Indexed_paths", indexed);
  if (indexed.empty()) f.config->WriteList("Indexed_paths", {DocumentsFolder()});

  f.logs = vendor + "/Logs";
  f.profiles = vendor + "/Profiles";
  EnsureFolder(f.profiles);
  EnsureFolder(f.logs);
  State() = std::move(f);
}

const std::string& ProgramFolder() { return State().program; }
const std::string& CommonDataFolder() { return State().common_data; }
const std::string& DataFolder() { return State().data; }
const std::string& LogsFolder() { return State().logs; }
const std::string& ProfilesFolder() { return State().profiles; }

ConfigStore& Config() {
  if (!State().config) throw std::logic_error("the configuration is used before InitPaths");
  return *State().config;
}

int NewIndexCodePage() { return Config().ReadInteger("Codepage", CodePage::kDefault); }

}  // namespace vexa
