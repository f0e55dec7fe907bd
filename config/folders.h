// The application folders and the process-wide configuration store.
//
// InitPaths runs once, first, in every program and in the automation library: it fixes
// ProgramFolder (the folder of the running executable), CommonDataFolder ($XDG_DATA_HOME,
// else $HOME/.local/share), DataFolder (ProgramFolder when "xvexadoc.xml" lies there,
// else CommonDataFolder + "/VexaDoc"), LogsFolder and ProfilesFolder (below
// CommonDataFolder + "/VexaDoc" in both cases), opens Config() over
// DataFolder + "/xvexadoc.xml", stores the user's documents folder as the only
// "Indexed_paths" item when that list is empty, and creates the profiles and logs
// folders. Folder texts use "/" and have no trailing separator.
//
// Thread-safety: InitPaths must run before any other thread uses these values; they are
// read-only afterwards. Config() is safe to read from several threads (see
// config_store.h).
#pragma once

#include <functional>
#include <string>

#include "config/config_store.h"

namespace vexa {

// Shows a start-up problem to the user: a caption and a text. The default writes
// "caption: text" to stderr; windowed programs install one that shows a message box.
using StartupReporter = std::function<void(const std::string& caption, const std::string& text)>;
// Installs `reporter` for InitPaths; an empty function restores the default.
void SetStartupReporter(StartupReporter reporter);

// The start-up sequence, with ProgramFolder taken from /proc/self/exe (the current
// directory when that cannot be read). Throws std::runtime_error("Can't create directory
// %s") when a folder cannot be created and XmlError when the configuration file cannot be
// parsed; the program should end with that message. A missing data home is reported
// through the StartupReporter ("Module Paths", "Error 1 in initialization module Paths
// (...)") and start-up goes on with an empty CommonDataFolder.
void InitPaths();
// The same with a given program folder (for hosts and tests). May be run again; each run
// replaces every value and the store.
void InitPathsAt(const std::string& program_folder);

// The folder of the running executable, without a trailing separator (the current
// directory when it cannot be found).
std::string ExecutableFolder();
// The XDG data home: $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share;
// empty when the environment names neither. Read from the environment at each call.
std::string XdgDataHome();
// Why XdgDataHome() is empty, as a system error text in parentheses.
inline constexpr char kNoDataHomeReason[] = "(neither XDG_DATA_HOME nor HOME is set)";
// The user's documents folder: XDG_DOCUMENTS_DIR of user-dirs.dirs in $XDG_CONFIG_HOME
// (else $HOME/.config) when it names an existing folder, else $HOME/Documents when it
// exists, else $HOME. Read from the environment at each call.
std::string DocumentsFolder();

// The values fixed by InitPaths (empty before it has run).
const std::string& ProgramFolder();
const std::string& CommonDataFolder();
const std::string& DataFolder();
const std::string& LogsFolder();
const std::string& ProfilesFolder();

// The process-wide configuration store. Throws std::logic_error before InitPaths.
ConfigStore& Config();

// The code page for new indexes: the configuration value "Codepage", 1252 by default.
// Read at each call; the value is not checked (CodePage::Get rejects unknown numbers).
int NewIndexCodePage();

}  // namespace vexa
