#include "web_test_util.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace vexa::test {

bool WaitForLoad(QWebEngineView& view) {
  QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
  return loaded.wait(20000) && loaded.first().first().toBool();
}

QVariant RunScript(QWebEngineView& view, const QString& script) {
  QVariant result;
  bool done = false;
  view.page()->runJavaScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) ADD_FAILURE() << "script timed out";
  return result;
}

bool MouseClick(QWebEngineView& view, const QString& selector) {
  // The selector goes in as a JSON string, so its own quotes need no care.
  const QString quoted = QString::fromUtf8(QJsonDocument(QJsonArray{selector}).toJson(QJsonDocument::Compact));
  const QVariantList box =
      RunScript(view, QStringLiteral("(function(){var e=document.querySelector(%1[0]);"
                                     "if(!e)return [];var r=e.getBoundingClientRect();"
                                     "return [r.left+r.width/2,r.top+r.height/2];})()")
                          .arg(quoted))
          .toList();
  if (box.size() != 2) return false;
  QWidget* target = view.focusProxy() ? view.focusProxy() : &view;
  QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
  return true;
}

}  // namespace vexa::test
