// Tindexf: the run window ("Reindexing"), the face of IndexingRun.
//
// The window owns the IndexingRun and is its RunView: the run decides every text, number
// and moment (log lines with the "-" continuation rule, progress, the file size every 10
// seconds, the button's caption) and the window only shows them. The run blocks the GUI
// thread; the window reacts to the user only inside ProcessPendingInput, where a click on
// "Cancel" reaches IndexingRun::ButtonClick and stops the profile before its next file.
//
// Closing the window while a profile runs does not end the run: the window goes back to
// the notification area when it was opened from there, and is minimized otherwise. Closed
// while nothing runs, it hides and emits closed(); in the command-line mode the program
// ends on that signal. In the command-line mode with "-unv" the window starts as an icon
// in the notification area (StartInTray), or minimized when the desktop has none.
//
// Thread-safety: GUI thread only.
#pragma once

#include <QWidget>

#include "indexer/indexing_run.h"
#include "indexer/run_view.h"

class QEventLoop;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTextBrowser;
class QUrl;

namespace vexa {

class ElidedLabel;
class Prompts;

class Tindexf : public QWidget, public RunView {
  Q_OBJECT

 public:
  // `options` and `prompts` must outlive the window.
  Tindexf(CommandLineOptions& options, Prompts& prompts, QWidget* parent = nullptr);
  ~Tindexf() override;

  // The runs this window shows.
  IndexingRun& Run() { return run_; }

  // "-unv": shows the tray icon instead of the window; minimized when there is no tray.
  void StartInTray();
  // Set after the tray icon brought the window up, until the window is closed again.
  bool ShownFromTray() const { return shownFromTray_; }

  // RunView.
  void ClearLog() override;
  void AppendLogLine(const std::string& line) override;
  void ExtendLastLogLine(const std::string& tail) override;
  void ScrollLogToEnd() override;
  void ShowIndexFile(const std::string& path) override;
  void ShowFileSize(const std::string& text) override;
  void ShowLastFile(const std::string& name) override;
  void ShowProgressText(const std::string& text) override;
  void ShowProgress(int position, int maximum) override;
  void ShowButtonCaption(const std::string& caption) override;
  void ProcessPendingInput() override;
  void ShowErrorBox(const std::string& message) override;
  void ShowWindow() override;
  void HideWindow() override;
  void ShowModal() override;
  void CloseWindow() override;

  // Handlers.
  void Button1Click();
  void trDblClick();
  void mURLClick(const QUrl& url);

  // Components.
  QTextBrowser* m;
  QLineEdit* eifile;
  QLineEdit* esize;
  QLabel* lvp;
  QProgressBar* pb;
  ElidedLabel* lf;
  QPushButton* Button1;
  QSystemTrayIcon* trIcon;  // the tray icon ("tr" would hide QObject::tr)

 signals:
  // The window was closed while no profile was running.
  void closed();

 protected:
  // FormClose.
  void closeEvent(QCloseEvent* event) override;

 private:
  Prompts& prompts_;
  IndexingRun run_;
  bool shownFromTray_ = false;
  bool logHasLines_ = false;
  QEventLoop* modalLoop_ = nullptr;  // the loop of ShowModal while it runs
};

}  // namespace vexa
