#include "indexer/console_run.h"

#include <unistd.h>

#include <chrono>
#include <csignal>

#include "indexer/indexing_run.h"

namespace vexa {

namespace {

volatile std::sig_atomic_t stop_requested = 0;

void OnStopSignal(int) { stop_requested = 1; }

constexpr std::size_t kProgressWidth = 79;

// `text` with each CR as a line end of the terminal.
std::string WithLineBreaks(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESETHAND;  // a second signal ends the program
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

ConsoleView::ConsoleView(std::FILE* out, std::FILE* err, bool progress)
    : out_(out), err_(err), progress_(progress) {}

ConsoleView::~ConsoleView() { EndOpenLine(); }

void ConsoleView::Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out_);
}

void ConsoleView::EndOpenLine() {
  ClearProgress();
  if (line_open_) Write("\n");
  line_open_ = false;
  std::fflush(out_);
}

void ConsoleView::ClearProgress() {
  if (progress_shown_) Write("\r\033[K");
  progress_shown_ = false;
}

void ConsoleView::AppendLogLine(const std::string& line) {
  EndOpenLine();
  Write(WithLineBreaks(line));
  line_open_ = line.ends_with("...");
  if (!line_open_) Write("\n");
  std::fflush(out_);
}

void ConsoleView::ExtendLastLogLine(const std::string& tail) {
  ClearProgress();
  if (!line_open_) return;  // printed already; the window alone shows the joined line
  Write(WithLineBreaks(tail) + "\n");
  line_open_ = false;
  std::fflush(out_);
}

void ConsoleView::ScrollLogToEnd() { EndOpenLine(); }

void ConsoleView::ShowLastFile(const std::string& name) { last_file_ = name; }

void ConsoleView::ShowProgressText(const std::string& text) {
  if (!progress_ || line_open_ || text.empty()) return;
  // A few updates a second are enough to read, and spare a slow terminal.
  const auto now = std::chrono::steady_clock::now();
  if (progress_shown_ && now < next_progress_) return;
  next_progress_ = now + std::chrono::milliseconds(100);
  std::string shown = text + "  " + last_file_;
  if (shown.size() > kProgressWidth) {
    // Keep the end of the path, where the file name is.
    shown = text + "  ..." + last_file_.substr(last_file_.size() - (kProgressWidth - text.size() - 5));
  }
  Write("\r\033[K" + WithLineBreaks(shown));
  progress_shown_ = true;
  std::fflush(out_);
}

void ConsoleView::ProcessPendingInput() {
  if (stop_requested && run_) {
    stop_requested = 0;
    run_->Cancel();
  }
}

void ConsoleView::ShowErrorBox(const std::string& message) {
  EndOpenLine();
  std::fprintf(err_, "xvexai: %s\n", WithLineBreaks(message).c_str());
  std::fflush(err_);
}

void ConsoleView::CloseWindow() { EndOpenLine(); }

int RunConsoleBatch(CommandLineOptions& options) {
  ConsoleView view(stdout, stderr, isatty(STDOUT_FILENO) != 0);
  IndexingRun run(view, options);
  view.SetRun(&run);
  InstallStopSignals();
  // A reader that goes away (xvexai -run x | head) must not end the run halfway.
  std::signal(SIGPIPE, SIG_IGN);
  return run.RunCommandLineProfiles() ? 0 : 1;
}

}  // namespace vexa
