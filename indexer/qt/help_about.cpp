#include "indexer/qt/help_about.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>
#include <QVBoxLayout>

namespace vexa {
namespace {

// The manual's pages by topic number; topic 0 is the start page.
struct TopicPage {
  int topic;
  const char* page;
};
constexpr TopicPage kTopicPages[] = {
    {kHelpContents, "index.html"},
    {kHelpProfileManager, "indexer.html"},
    {kHelpProfileEditor, "profiles.html"},
};

// A dialog that closes on a left click anywhere except on a link (a click on a link
// opens it). Its labels are watched too, because a label with links takes every click.
class AboutDialog : public QDialog {
 public:
  using QDialog::QDialog;

  // Makes clicks on `label` close the box unless the pointer is on one of its links.
  void Watch(QLabel* label) {
    label->installEventFilter(this);
    connect(label, &QLabel::linkHovered, this, [this](const QString& link) { link_ = link; });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease) CloseOnClick(static_cast<QMouseEvent*>(event));
    return QDialog::eventFilter(watched, event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override { CloseOnClick(event); }

 private:
  void CloseOnClick(const QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && link_.isEmpty()) accept();
  }

  QString link_;  // the link under the pointer, empty when none
};

QString Link(const QString& url, const QString& text) {
  return QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), text.toHtmlEscaped());
}

}  // namespace

QString HelpFolder() {
  const QString program = QApplication::applicationDirPath();
  for (const char* relative : {"/../Doc", "/Doc", "/../share/vexadoc/Doc"}) {
    const QString folder = QDir::cleanPath(program + QLatin1String(relative));
    if (QFileInfo::exists(folder + QStringLiteral("/index.html"))) return folder;
  }
  return {};
}

QString HelpTopicPage(int topic) {
  const QString folder = HelpFolder();
  if (folder.isEmpty()) return {};
  const char* page = kTopicPages[0].page;
  for (const TopicPage& entry : kTopicPages)
    if (entry.topic == topic) page = entry.page;
  const QString path = folder + QLatin1Char('/') + QLatin1String(page);
  return QFileInfo::exists(path) ? path : QString();
}

bool OpenHelpTopic(int topic) {
  const QString page = HelpTopicPage(topic);
  return !page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void ShowAboutBox(QWidget* parent, const AboutText& text) {
  AboutDialog box(parent);
  box.setWindowTitle(QApplication::translate("About", "About %1").arg(text.name));

  auto* picture = new QLabel;
  picture->setPixmap(QApplication::windowIcon().pixmap(64, 64));
  picture->setAlignment(Qt::AlignTop);

  QString links;
  const QString manual = HelpTopicPage(kHelpContents);
  if (!manual.isEmpty())
    links += Link(QUrl::fromLocalFile(manual).toString(), QStringLiteral("User manual"));
  const QString homepage = QStringLiteral(VEXA_HOMEPAGE_URL);
  if (!homepage.isEmpty()) {
    if (!links.isEmpty()) links += QStringLiteral(" &nbsp;·&nbsp; ");
    links += Link(homepage, homepage);
  }
  auto* body = new QLabel(
      QStringLiteral("<h2 style=\"margin-bottom:2px\">%1</h2>"
                     "<p style=\"margin-top:0\">Version %2 (Qt %3)</p><p>%4</p><p>%5</p>")
          .arg(text.name.toHtmlEscaped(), QStringLiteral(VEXA_VERSION),
               QLatin1String(qVersion()), text.description.toHtmlEscaped(), links));
  body->setTextFormat(Qt::RichText);
  body->setWordWrap(true);
  body->setMinimumWidth(340);
  body->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  body->setOpenExternalLinks(true);

  box.Watch(picture);
  box.Watch(body);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::accept);

  auto* row = new QHBoxLayout;
  row->setSpacing(16);
  row->addWidget(picture);
  row->addWidget(body, 1);
  auto* layout = new QVBoxLayout(&box);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  box.exec();
}

}  // namespace vexa
