// IndexingRun: the indexing run of the indexer, without any window.
//
// For each profile it is given, the run loads the profile, opens its index (recreating it
// for a full run), optionally purges entries of vanished files, passes every enabled
// folder through TIndex::IndexFolder, runs the maintenance, records the run in the index
// settings and in the list of indexes, and writes the profile's log file and skipped-files
// report in LogsFolder() (see run_files.h). Everything it shows goes through a RunView:
// the run window implements that interface, the console run prints the log.
//
// Errors while a profile runs end that profile only: they become the log line
// "Reindexing error - " + message (and a message box unless "-unv"), and the batch goes
// on. A cancel (Cancel button or signal, through ButtonClick/Cancel) takes effect before
// the next file of a folder pass; the profile is then recorded as aborted.
//
// Lifetime: the view and the options must outlive the object. Thread-safety: everything
// runs on one thread (the GUI thread in the window); ButtonClick and Cancel are meant to
// be called from inside RunView::ProcessPendingInput or between runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "indexer/command_line.h"
#include "indexer/run_view.h"

namespace vexa {

class TIndex;
class TIndp;

class IndexingRun {
 public:
  // How one profile's run ended.
  enum class Outcome {
    kCompleted,  // ran to the end, maintenance included
    kCancelled,  // the user cancelled; recorded as aborted
    kNotFound,   // no profile file: one log line, nothing else written
    kFailed,     // a "Reindexing error"
  };

  // `options`: optFull (read at the start of every profile), optUnv (no message box on
  // errors), optWait and profiles (RunCommandLineProfiles).
  IndexingRun(RunView& view, CommandLineOptions& options);
  ~IndexingRun();
  IndexingRun(const IndexingRun&) = delete;
  IndexingRun& operator=(const IndexingRun&) = delete;

  // One profile from start to end; never throws (errors end in the log). Afterwards
  // LogWritten() tells whether the profile's log file could be written.
  Outcome RunProfile(const std::string& profilePath);
  // The profile manager's batch: clears the log, shows the window, runs each profile in
  // order, hides the window; with keepOpen, then shows it modally with "Close" until the
  // user closes it.
  void RunProfiles(const std::vector<std::string>& profilePaths, bool keepOpen);
  // The command-line batch over options.profiles; then, with optWait, the window stays
  // open with "Close", otherwise it is closed. Returns true when every profile completed
  // and its log file was written (the program's exit status 0).
  bool RunCommandLineProfiles();

  // Adds a line to the log view and to RunLog(). A message beginning with "-" continues
  // the last line of the view when that ends with "..." (joined by a blank) and is
  // dropped otherwise.
  void AddLogLine(const std::string& message);

  // Receivers handed to the index (after each added document, for each skipped file, at
  // each maintenance stage); public so a view can be driven the same way in tests.
  void ShowProgress(const std::string& name, std::int32_t size, double time, int added,
                    int total);
  void AddSkippedFile(const std::string& name, std::int32_t code);
  void ShowStage(int stage);

  // Records a completed run of `profile` in the list of indexes of Config(): the first
  // entry with the same ifile (letter case ignored) gets the profile's title and tag and
  // the current time, or a new entry is appended. Throws what the store throws.
  static void UpdateIndexList(const TIndp& profile);

  // The button: "Cancel" cancels the running profile (nothing when none runs), any other
  // caption closes the window.
  void ButtonClick();
  // Asks the running profile's index to stop before its next file.
  void Cancel();

  bool Running() const { return running_; }
  // The log lines of the current (or last) profile.
  const std::vector<std::string>& RunLog() const { return run_log_; }
  // The report of the last profile that skipped files, or empty.
  const std::string& ReportPath() const { return report_path_; }
  bool LogWritten() const { return log_written_; }

 private:
  // Steps of one profile after its file was loaded; throws on any error.
  void RunSteps(const TIndp& profile, const std::string& name, bool& cancelled);
  // Reports an error that ended the profile: message box (unless "-unv") and log line.
  void Fail(const std::string& what);
  void WriteLogFile(const std::string& name, double start);
  // Hands control to the view for pending input, and refreshes the file size every
  // 10 seconds while the size timer runs (the window's timer fires only there too).
  void YieldToUser();
  void ShowIndexFile(const std::string& path);
  void ShowButtonCaption(const std::string& caption);

  RunView& view_;
  CommandLineOptions& options_;

  bool running_ = false;
  std::vector<std::string> run_log_;
  // The view's last line, and whether it has one: the continuation rule looks at it.
  std::string view_last_line_;
  bool view_has_lines_ = false;
  std::string button_caption_ = "Cancel";

  std::unique_ptr<TIndex> current_index_;
  std::vector<std::string> report_lines_;
  int skipped_count_ = 0;
  std::string report_path_;
  bool log_written_ = false;

  std::string index_file_shown_;
  bool size_timer_ = false;
  std::chrono::steady_clock::time_point next_size_tick_;
};

}  // namespace vexa
