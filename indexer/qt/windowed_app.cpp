#include "indexer/qt/windowed_app.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "config/folders.h"
#include "indexer/command_line.h"
#include "indexer/qt/icons.h"
#include "indexer/qt/profile_editor.h"
#include "indexer/qt/profile_manager.h"
#include "indexer/qt/prompts.h"
#include "indexer/qt/run_window.h"

namespace vexa {
namespace {

void ShowStartupProblem(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                  QString::fromStdString(text));
  box.exec();
}

}  // namespace

WindowedIndexer::WindowedIndexer(int& argc, char** argv)
    : app_(std::make_unique<QApplication>(argc, argv)) {
  QApplication::setApplicationName(QStringLiteral("xvexai"));
  QApplication::setApplicationDisplayName(QStringLiteral("VexaDoc Indexer"));
  QApplication::setDesktopFileName(QStringLiteral("xvexai"));
  QApplication::setWindowIcon(IndexerIcon());
  // The run window closes and reopens while the manager is hidden; the program ends only
  // when its main window says so.
  QApplication::setQuitOnLastWindowClosed(false);
  SetStartupReporter(&ShowStartupProblem);
}

WindowedIndexer::~WindowedIndexer() { SetStartupReporter({}); }

void WindowedIndexer::ShowFatal(const std::string& message) {
  ShowStartupProblem("VexaDoc Indexer", message);
}

int WindowedIndexer::Run(CommandLineOptions& options) {
  Prompts& prompts = DefaultPrompts();
  Tindexf runWindow(options, prompts);
  if (options.optRun) {
    int status = 0;
    QObject::connect(&runWindow, &Tindexf::closed, app_.get(), &QApplication::quit);
    if (options.optUnv) {
      runWindow.StartInTray();
    } else {
      runWindow.show();
    }
    QTimer::singleShot(0, &runWindow, [&] {
      status = runWindow.Run().RunCommandLineProfiles() ? 0 : 1;
    });
    QApplication::exec();
    return status;
  }
  TForm1 editor(prompts);
  Tf_indexes manager(editor, runWindow, options, prompts);
  QObject::connect(&manager, &Tf_indexes::closed, app_.get(), &QApplication::quit);
  manager.show();
  return QApplication::exec();
}

}  // namespace vexa
