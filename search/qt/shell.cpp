#include "search/qt/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace vexa {

void DesktopShell::OpenDocument(const std::string& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void DesktopShell::OpenAddress(const std::string& address) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

bool DesktopShell::RunAndWait(const std::string& path) {
  QProcess process;
  // Unread pipes would stall a talkative child once their buffers fill.
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);
  process.start(QString::fromStdString(path), {});
  if (!process.waitForStarted(-1)) return false;
  process.waitForFinished(-1);
  return true;
}

}  // namespace vexa
