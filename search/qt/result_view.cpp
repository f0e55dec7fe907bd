#include "search/qt/result_view.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariantMap>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <stdexcept>

namespace vexa {

namespace {

// setHtml goes through a data: URL, which Chromium refuses above 2 MB (after encoding).
constexpr qsizetype kInMemoryPageLimit = 1024 * 1024;

// Runs in an isolated world, so nothing in a page can reach the bridge; the DOM and its
// events are shared with the page.
constexpr char kClickScript[] = R"JS(
(function () {
  var bridge = null, pending = [];
  function send(attributes) {
    if (bridge) bridge.click(attributes); else pending.push(attributes);
  }
  document.addEventListener('click', function (event) {
    event.preventDefault();
    if (event.detail > 1) return;
    var element = event.target;
    if (element && element.nodeType !== Node.ELEMENT_NODE) element = element.parentElement;
    if (!element) return;
    var attributes = {};
    for (var i = 0; i < element.attributes.length; ++i) {
      var a = element.attributes[i];
      attributes[a.name.toLowerCase()] = a.value;
    }
    if (attributes.ii) element.className = 'vv';
    send(attributes);
  }, true);
  new QWebChannel(qt.webChannelTransport, function (channel) {
    bridge = channel.objects.vexaClicks;
    pending.splice(0).forEach(send);
  });
})();
)JS";

QString ReadResource(const QString& name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    throw std::runtime_error("Missing resource " + name.toStdString());
  }
  return QString::fromUtf8(file.readAll());
}

// Refuses every navigation a document could start by itself.
class ResultPage : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;

 protected:
  bool acceptNavigationRequest(const QUrl&, NavigationType type, bool) override {
    return type != NavigationTypeLinkClicked && type != NavigationTypeFormSubmitted &&
           type != NavigationTypeBackForward;
  }
};

}  // namespace

// The object the page script calls. Q_INVOKABLE methods are what the web channel exposes.
class ClickBridge : public QObject {
  Q_OBJECT

 public:
  explicit ClickBridge(ResultView& view) : view_(view) {}

  Q_INVOKABLE void click(const QVariantMap& attributes) {
    ElementAttributes values;
    for (auto it = attributes.begin(); it != attributes.end(); ++it) {
      values.emplace_back(it.key().toLower().toStdString(), it.value().toString().toStdString());
    }
    emit view_.ElementClicked(values);
  }

 private:
  ResultView& view_;
};

ResultView::ResultView(QWidget* parent)
    : QWebEngineView(parent),
      bridge_(std::make_unique<ClickBridge>(*this)),
      channel_(new QWebChannel(this)) {
  setPage(new ResultPage(this));
  channel_->registerObject(QStringLiteral("vexaClicks"), bridge_.get());
  page()->setWebChannel(channel_, QWebEngineScript::ApplicationWorld);

  QWebEngineScript script;
  script.setName(QStringLiteral("vexa-clicks"));
  script.setSourceCode(ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) +
                       QString::fromUtf8(kClickScript));
  script.setInjectionPoint(QWebEngineScript::DocumentReady);
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setRunsOnSubFrames(false);
  page()->scripts().insert(script);
}

ResultView::~ResultView() = default;

void ResultView::WritePage(const std::string& html, const QString& base_folder) {
  QByteArray bytes = QByteArray::fromStdString(html);
  if (bytes.size() <= kInMemoryPageLimit) {
    page()->setContent(bytes, QStringLiteral("text/html;charset=UTF-8"),
                       QUrl::fromLocalFile(base_folder + QLatin1Char('/')));
    return;
  }
  if (!big_pages_) big_pages_ = std::make_unique<QTemporaryDir>();
  QSaveFile file(big_pages_->filePath(QStringLiteral("page.html")));
  if (!big_pages_->isValid() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
      !file.commit()) {
    throw std::runtime_error("Can't write the result page: " + file.errorString().toStdString());
  }
  page()->load(QUrl::fromLocalFile(file.fileName()));
}

void ResultView::contextMenuEvent(QContextMenuEvent* event) {
  // Only what makes sense on a result page: no back, reload or page source.
  QMenu menu(this);
  menu.addAction(page()->action(QWebEnginePage::Copy));
  menu.addAction(page()->action(QWebEnginePage::SelectAll));
  menu.exec(event->globalPos());
}

}  // namespace vexa

#include "result_view.moc"
