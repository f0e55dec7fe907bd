// RunView: what an indexing run shows, as an interface the run talks to.
//
// The run logic (IndexingRun, indexer/indexing_run.h) decides every text, number and
// moment; a view only puts them on screen. The run window implements RunView with its
// widgets; the console run (no display) prints the log to standard output. A view never
// calls back into the run from these functions, except from ProcessPendingInput, which
// is where user input (a click on Cancel, a signal) reaches IndexingRun::ButtonClick or
// IndexingRun::Cancel.
//
// Thread-safety: the run calls every function on its own thread (the GUI thread in the
// window), one at a time.
#pragma once

#include <string>

namespace vexa {

class RunView {
 public:
  virtual ~RunView() = default;

  // --- The running log (`m`): read-only, one entry per line, no word wrap. ---
  virtual void ClearLog() = 0;
  // Adds `line` as the new last line and repaints.
  virtual void AppendLogLine(const std::string& line) = 0;
  // Appends `tail` (it starts with a blank, e.g. " - Done") to the last line and
  // repaints. Only called when the view holds at least one line.
  virtual void ExtendLastLogLine(const std::string& tail) = 0;
  // Moves the caret to the end of the log and gives it the focus (after each profile).
  virtual void ScrollLogToEnd() = 0;

  // --- Fields; an empty text clears the field. ---
  virtual void ShowIndexFile(const std::string& path) = 0;    // `eifile`
  virtual void ShowFileSize(const std::string& text) = 0;     // `esize`, e.g. "12 Mb"
  virtual void ShowLastFile(const std::string& name) = 0;     // `lf`
  virtual void ShowProgressText(const std::string& text) = 0; // `lvp`, e.g. "7/20 (35%)"
  // The progress bar `pb`: 0 <= position <= maximum, maximum > 0.
  virtual void ShowProgress(int position, int maximum) = 0;
  // The caption of the button: "Cancel" while profiles run, "Close" when the window
  // stays open after them. Clicks go to IndexingRun::ButtonClick.
  virtual void ShowButtonCaption(const std::string& caption) = 0;

  // Lets the user's pending input be handled (repaint, clicks, signals). Called after
  // each added document, each skipped file, each maintenance stage, once before a
  // profile's folder passes and at the end of a batch.
  virtual void ProcessPendingInput() = 0;

  // A message box with the error icon and an OK button; returns once dismissed.
  virtual void ShowErrorBox(const std::string& message) = 0;

  // --- The window as a whole. ---
  // Shows the window, not modal, in its normal size.
  virtual void ShowWindow() = 0;
  // Restores the normal size and hides the window.
  virtual void HideWindow() = 0;
  // Shows the window modally; returns when the user has closed it.
  virtual void ShowModal() = 0;
  // Closes the window; in the command-line mode this ends the program once control
  // returns to the message loop.
  virtual void CloseWindow() = 0;
};

}  // namespace vexa
