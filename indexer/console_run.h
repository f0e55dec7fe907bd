// The indexer without windows: a RunView that prints the run's log to a terminal, a pipe
// or cron's mail, and the command-line batch built on it.
//
// ConsoleView writes each log line to `out` as it is added; a line ending in "..." is
// left open so that its continuation (" - Done") lands on the same line. Line breaks
// inside a message (database errors carry CRs) become real line breaks. When `out` is a
// terminal, the progress of a folder pass is shown on one line that each log line
// replaces. Error boxes go to `err` as "xvexai: " + message. The window operations do
// nothing.
//
// SIGINT and SIGTERM, once InstallStopSignals has run, ask the running profile to stop
// as the Cancel button does (the batch then goes on with the next profile, like a cancel
// in the window); a second signal ends the program at once.
//
// Thread-safety: one thread; the signal handlers only set a flag.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "indexer/command_line.h"
#include "indexer/run_view.h"

namespace vexa {

class IndexingRun;

class ConsoleView : public RunView {
 public:
  // `out` and `err` stay owned by the caller. `progress` shows the progress line.
  ConsoleView(std::FILE* out, std::FILE* err, bool progress);
  ~ConsoleView() override;

  // The run a stop signal cancels; null for none.
  void SetRun(IndexingRun* run) { run_ = run; }

  void ClearLog() override {}
  void AppendLogLine(const std::string& line) override;
  void ExtendLastLogLine(const std::string& tail) override;
  void ScrollLogToEnd() override;
  void ShowIndexFile(const std::string&) override {}
  void ShowFileSize(const std::string&) override {}
  void ShowLastFile(const std::string& name) override;
  void ShowProgressText(const std::string& text) override;
  void ShowProgress(int, int) override {}
  void ShowButtonCaption(const std::string&) override {}
  void ProcessPendingInput() override;
  void ShowErrorBox(const std::string& message) override;
  void ShowWindow() override {}
  void HideWindow() override {}
  void ShowModal() override {}
  void CloseWindow() override;

 private:
  void Write(const std::string& text);
  void EndOpenLine();
  void ClearProgress();

  std::FILE* out_;
  std::FILE* err_;
  bool progress_;
  IndexingRun* run_ = nullptr;
  bool line_open_ = false;      // the last line printed has no line end yet
  bool progress_shown_ = false;
  std::chrono::steady_clock::time_point next_progress_;
  std::string last_file_;
};

// Makes SIGINT and SIGTERM request a stop of the running profile (see above).
void InstallStopSignals();

// The command-line batch without a window: runs options.profiles with a ConsoleView on
// stdout/stderr and returns the exit status: 0 when every profile completed and its log
// was written, 1 otherwise. Installs the stop signals and ignores SIGPIPE, so a closed
// output ends only the output.
int RunConsoleBatch(CommandLineOptions& options);

}  // namespace vexa
