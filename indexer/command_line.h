// The indexer's command line: options and the profile files named on it.
//
// Options are whole arguments compared without regard to letter case: "-run", "-full",
// "-wait", "-unv", "-min", "-new", and the requests "--help" and "--version". Any other
// argument beginning with "-", and any empty argument, is ignored. Every other argument
// names a profile: enclosing double quotes are removed, ".indp" is appended when the
// name has no extension, and a name without a folder part that names no file in the
// current directory is taken from the profiles folder. Profile files are not checked
// for existence; duplicates and order are kept.
//
// Thread-safety: ParseCommandLine is reentrant; CommandLine() is the process's one
// record, filled at start-up on the main thread.
#pragma once

#include <string>
#include <vector>

namespace vexa {

struct CommandLineOptions {
  bool optRun = false;                // index `profiles` with only the run window, then end
  bool optFull = false;               // every run is a full run (the manager's Rebuild toggles it)
  bool optWait = false;               // keep the run window open after the last profile
  bool optUnv = false;                // start with the run window hidden behind a tray icon
  bool optMin = false;                // accepted, no effect
  bool optNew = false;                // accepted, no effect
  bool optHelp = false;               // "--help": print the usage and end
  bool optVersion = false;            // "--version": print the version and end
  std::vector<std::string> profiles;  // resolved profile file paths, in command-line order
};

// Parses the arguments (the program path excluded). `profiles_folder` (without a
// trailing separator) receives bare profile names. Never throws for any argument.
CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments,
                                    const std::string& profiles_folder);

// The process-wide options, read by the run window and the profile manager.
CommandLineOptions& CommandLine();

}  // namespace vexa
