// The embedded HTML view of the search window: shows one result page at a time and
// reports every click inside it.
//
// A page is written whole (WritePage) and its relative addresses resolve against the
// folder given with it. A script injected into every document catches each click in the
// capture phase, cancels the browser's default action (no href is ever followed), gives
// the element's class "vv" when it is a file link (it has a non-empty "ii"), and hands
// all attributes of the clicked element to C++ through a web channel, where
// ElementClicked is emitted. Navigation by links or forms is refused as well, so a page
// can never replace itself. The second click of a double-click is ignored, so a
// double-click on a file link opens the file once.
//
// Thread-safety: a widget; GUI thread only.
#pragma once

#include <QString>
#include <QWebEngineView>
#include <memory>
#include <string>

#include "search/click_rules.h"

class QTemporaryDir;
class QWebChannel;

namespace vexa {

class ClickBridge;

class ResultView : public QWebEngineView {
  Q_OBJECT

 public:
  explicit ResultView(QWidget* parent = nullptr);
  ~ResultView() override;

  // Replaces the document by `html` (UTF-8) with relative addresses resolved in
  // `base_folder` (an absolute folder path). Returns at once; loadFinished follows.
  // Pages too big for an in-memory load go through a private temporary file.
  void WritePage(const std::string& html, const QString& base_folder);

 signals:
  // A click landed in the document; `attributes` are those of the clicked element
  // (its parent for a click on bare text), names in lower case.
  void ElementClicked(const vexa::ElementAttributes& attributes);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::unique_ptr<ClickBridge> bridge_;
  QWebChannel* channel_;                        // owned by this widget
  std::unique_ptr<QTemporaryDir> big_pages_;    // created on the first oversized page
};

}  // namespace vexa
