// xvexadoc: the search program. Sets up the folders and the configuration, then shows
// the search window until it is closed.
#include <unistd.h>

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <exception>

#include "config/folders.h"
#include "search/qt/search_form.h"
#include "search/qt/shell.h"

int main(int argc, char** argv) {
  // Chromium's sandbox refuses to start as root; the view shows only our own pages.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // wanted by the web view
  // The web engine reports its graphics set-up at every start; users need not see it.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("xvexadoc"));
  QApplication::setDesktopFileName(QStringLiteral("xvexadoc"));

  vexa::SetStartupReporter([](const std::string& caption, const std::string& text) {
    QMessageBox::critical(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
  });
  try {
    vexa::InitPaths();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, QStringLiteral("VexaDoc"), QString::fromUtf8(error.what()));
    return 1;
  }

  vexa::DesktopShell shell;
  vexa::TForm1 window(shell);
  window.show();
  return QApplication::exec();
}
