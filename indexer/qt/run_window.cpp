#include "indexer/qt/run_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

#include "indexer/qt/elided_label.h"
#include "indexer/qt/icons.h"
#include "indexer/qt/prompts.h"

namespace vexa {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Inserts `text` at the cursor, web and file addresses in it as links.
void InsertWithLinks(QTextCursor& cursor, const QString& text) {
  static const QRegularExpression address(QStringLiteral(R"((?:https?|file)://[^\s<>"]+)"));
  const QTextCharFormat plain;
  qsizetype done = 0;
  for (const QRegularExpressionMatch& match : address.globalMatch(text)) {
    cursor.insertText(text.mid(done, match.capturedStart() - done), plain);
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(match.captured());
    link.setForeground(QApplication::palette().link());
    link.setFontUnderline(true);
    cursor.insertText(match.captured(), link);
    done = match.capturedEnd();
  }
  cursor.insertText(text.mid(done), plain);
}

QLineEdit* ReadOnlyField() {
  auto* field = new QLineEdit;
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::ClickFocus);
  return field;
}

}  // namespace

Tindexf::Tindexf(CommandLineOptions& options, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window), prompts_(prompts), run_(*this, options) {
  setWindowTitle(QStringLiteral("Reindexing"));
  setWindowIcon(IndexerIcon());
  resize(680, 480);

  m = new QTextBrowser;
  m->setReadOnly(true);
  m->setLineWrapMode(QTextEdit::NoWrap);
  m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m->setOpenLinks(false);
  connect(m, &QTextBrowser::anchorClicked, this, &Tindexf::mURLClick);

  eifile = ReadOnlyField();
  esize = ReadOnlyField();
  esize->setMaximumWidth(esize->fontMetrics().horizontalAdvance(QStringLiteral("0000.0 Gb")) + 24);
  auto* fileRow = new QGridLayout;
  fileRow->addWidget(new QLabel(QStringLiteral("Index File")), 0, 0);
  fileRow->addWidget(new QLabel(QStringLiteral("File Size")), 0, 1);
  fileRow->addWidget(eifile, 1, 0);
  fileRow->addWidget(esize, 1, 1);
  fileRow->setColumnStretch(0, 1);

  lvp = new QLabel;
  lvp->setMinimumWidth(lvp->fontMetrics().horizontalAdvance(QStringLiteral("000000/000000 (100%)")));
  pb = new QProgressBar;
  pb->setRange(0, 100);
  pb->setValue(0);
  pb->setTextVisible(false);
  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(lvp);
  progressRow->addWidget(pb, 1);
  lf = new ElidedLabel;

  Button1 = new QPushButton(QStringLiteral("Cancel"));
  connect(Button1, &QPushButton::clicked, this, &Tindexf::Button1Click);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch();
  buttonRow->addWidget(Button1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m, 1);
  layout->addLayout(fileRow);
  layout->addLayout(progressRow);
  layout->addWidget(lf);
  layout->addLayout(buttonRow);

  trIcon = new QSystemTrayIcon(IndexerIcon(), this);
  trIcon->setToolTip(QStringLiteral("VexaDoc Indexer - Reindexing"));
  connect(trIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    // Many Linux trays report a single click only, so it shows the window too.
    if (why == QSystemTrayIcon::DoubleClick || why == QSystemTrayIcon::Trigger) trDblClick();
  });
}

Tindexf::~Tindexf() = default;

void Tindexf::StartInTray() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    trIcon->show();
  } else {
    showMinimized();
  }
}

void Tindexf::ClearLog() {
  m->clear();
  logHasLines_ = false;
}

void Tindexf::AppendLogLine(const std::string& line) {
  QTextCursor cursor(m->document());
  cursor.movePosition(QTextCursor::End);
  if (logHasLines_) cursor.insertBlock();
  logHasLines_ = true;
  InsertWithLinks(cursor, Text(line));
  m->verticalScrollBar()->setValue(m->verticalScrollBar()->maximum());
  m->viewport()->repaint();
}

void Tindexf::ExtendLastLogLine(const std::string& tail) {
  QTextCursor cursor(m->document());
  cursor.movePosition(QTextCursor::End);
  InsertWithLinks(cursor, Text(tail));
  m->viewport()->repaint();
}

void Tindexf::ScrollLogToEnd() {
  m->moveCursor(QTextCursor::End);
  m->ensureCursorVisible();
  m->setFocus();
}

void Tindexf::ShowIndexFile(const std::string& path) { eifile->setText(Text(path)); }

void Tindexf::ShowFileSize(const std::string& text) { esize->setText(Text(text)); }

void Tindexf::ShowLastFile(const std::string& name) { lf->SetFullText(Text(name)); }

void Tindexf::ShowProgressText(const std::string& text) {
  lvp->setText(Text(text));
  if (trIcon->isVisible())
    trIcon->setToolTip(text.empty() ? QStringLiteral("VexaDoc Indexer - Reindexing")
                                : QStringLiteral("VexaDoc Indexer - Reindexing ") + Text(text));
}

void Tindexf::ShowProgress(int position, int maximum) {
  pb->setMaximum(maximum);
  pb->setValue(position);
}

void Tindexf::ShowButtonCaption(const std::string& caption) { Button1->setText(Text(caption)); }

void Tindexf::ProcessPendingInput() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Tindexf::ShowErrorBox(const std::string& message) { prompts_.Error(this, Text(message)); }

void Tindexf::ShowWindow() {
  showNormal();
  raise();
  activateWindow();
}

void Tindexf::HideWindow() {
  setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
  hide();
}

void Tindexf::ShowModal() {
  setWindowModality(Qt::ApplicationModal);
  ShowWindow();
  QEventLoop loop;
  modalLoop_ = &loop;
  loop.exec();
  modalLoop_ = nullptr;
  hide();  // modality can only change while hidden
  setWindowModality(Qt::NonModal);
}

void Tindexf::CloseWindow() { close(); }

void Tindexf::Button1Click() { run_.ButtonClick(); }

void Tindexf::trDblClick() {
  shownFromTray_ = true;
  ShowWindow();
}

void Tindexf::mURLClick(const QUrl& url) { QDesktopServices::openUrl(url); }

void Tindexf::closeEvent(QCloseEvent* event) {
  if (run_.Running()) {
    event->ignore();
    if (shownFromTray_) {
      shownFromTray_ = false;
      hide();
    } else {
      showMinimized();
    }
    return;
  }
  event->accept();
  shownFromTray_ = false;
  if (modalLoop_) modalLoop_->quit();
  emit closed();
}

}  // namespace vexa
