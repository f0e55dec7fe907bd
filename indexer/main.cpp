// xvexai, the indexer: "xvexai -run [-full] [-wait] [-unv] PROFILE..." indexes profiles
// unattended; without "-run" it is the profile manager, which needs a display.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "config/folders.h"
#include "indexer/command_line.h"
#include "indexer/console_run.h"
#ifdef VEXA_WITH_XCB
#include <xcb/xcb.h>
#endif
#ifdef VEXA_WITH_WINDOWS
#include <optional>

#include "indexer/qt/windowed_app.h"
#endif

namespace {

constexpr char kUsage[] =
    "Usage: xvexai -run [-full] [-wait] [-unv] PROFILE...\n"
    "       xvexai [--help | --version]\n"
    "\n"
    "Brings the index of each PROFILE up to date with the folders the profile names.\n"
    "PROFILE is a profile name (the file NAME.indp in the profiles folder) or the path\n"
    "of a profile file. Without -run the program opens the profile manager, which\n"
    "needs a graphical session.\n"
    "\n"
    "  -run      index the named profiles one after another, then end\n"
    "  -full     rebuild every index from scratch instead of updating it\n"
    "  -wait     keep the run window open after the last profile (graphical only)\n"
    "  -unv      start with the run window hidden; errors go to the log only\n"
    "  --help    show this text\n"
    "  --version show the program's version\n"
    "\n"
    "Each run writes its log to NAME.log in the logs folder, and lists the files\n"
    "whose text could not be read in NAME_skipped.html beside it.\n"
    "  profiles folder: %s\n"
    "  logs folder:     %s\n"
    "\n"
    "Exit status: 0 when every profile ran to the end, 1 when any did not, 2 for\n"
    "wrong use.\n";

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// An X display counts only when its server answers: a DISPLAY left over from an ended
// session (inside screen or tmux) would otherwise abort the program in Qt's start-up
// instead of running the profiles on the console.
bool XServerAnswers() {
#ifdef VEXA_WITH_XCB
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool answers = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return answers;
#else
  return true;
#endif
}

bool DisplayAvailable() {
  return IsSet("WAYLAND_DISPLAY") || (IsSet("DISPLAY") && XServerAnswers());
}

void PrintUsage(std::FILE* to) {
  std::fprintf(to, kUsage, vexa::ProfilesFolder().c_str(), vexa::LogsFolder().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
#ifdef VEXA_WITH_WINDOWS
  // With a display the windows take over, start-up problems included; QApplication
  // takes its own options (-style, -platform...) out of argv first.
  std::optional<vexa::WindowedIndexer> windows;
  if (DisplayAvailable()) windows.emplace(argc, argv);
#endif
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  try {
    vexa::InitPaths();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "xvexai: %s\n", e.what());
#ifdef VEXA_WITH_WINDOWS
    if (windows) windows->ShowFatal(e.what());
#endif
    return 1;
  }
  vexa::CommandLineOptions& options = vexa::CommandLine();
  options = vexa::ParseCommandLine(arguments, vexa::ProfilesFolder());
  if (options.optHelp) {
    PrintUsage(stdout);
    return 0;
  }
  if (options.optVersion) {
    std::printf("xvexai (VexaDoc) %s\n", VEXA_VERSION);
    return 0;
  }
#ifdef VEXA_WITH_WINDOWS
  if (windows) return windows->Run(options);
#endif
  if (options.optRun) return vexa::RunConsoleBatch(options);
  std::fprintf(stderr, "xvexai: %s\n\n",
               DisplayAvailable() ? "this build has no profile manager window"
                                  : "no display: the profile manager needs a graphical session");
  PrintUsage(stderr);
  return 2;
}
