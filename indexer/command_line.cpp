#include "indexer/command_line.h"

#include <sys/stat.h>

#include <cctype>
#include <string_view>

#include "config/paths.h"

namespace vexa {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

void SetOption(CommandLineOptions& options, std::string_view argument) {
  const struct {
    const char* name;
    bool CommandLineOptions::*flag;
  } kOptions[] = {
      {"-run", &CommandLineOptions::optRun},    {"-full", &CommandLineOptions::optFull},
      {"-wait", &CommandLineOptions::optWait},  {"-unv", &CommandLineOptions::optUnv},
      {"-min", &CommandLineOptions::optMin},    {"-new", &CommandLineOptions::optNew},
      {"--help", &CommandLineOptions::optHelp}, {"--version", &CommandLineOptions::optVersion},
  };
  for (const auto& option : kOptions)
    if (SameIgnoringCase(argument, option.name)) options.*option.flag = true;
}

bool FileExists(const std::string& name) {
  struct stat st {};
  return stat(name.c_str(), &st) == 0;
}

std::string ResolveProfile(std::string name, const std::string& profiles_folder) {
  if (ExtensionPart(name).empty()) name += ".indp";
  if (FilePathPart(name).empty() && !FileExists(name)) name = profiles_folder + "/" + name;
  return name;
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments,
                                    const std::string& profiles_folder) {
  CommandLineOptions options;
  for (const std::string& argument : arguments) {
    if (argument.starts_with('-')) {
      SetOption(options, argument);
      continue;
    }
    std::string name = argument;
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
      name = name.substr(1, name.size() - 2);
    if (!name.empty()) options.profiles.push_back(ResolveProfile(name, profiles_folder));
  }
  return options;
}

CommandLineOptions& CommandLine() {
  static CommandLineOptions options;
  return options;
}

}  // namespace vexa
