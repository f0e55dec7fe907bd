// Helpers for tests that drive a real web view: wait for a page, run a script in it and
// take its result, click an element the way a user does.
#pragma once

#include <QString>
#include <QVariant>

class QWebEngineView;

namespace vexa::test {

// Waits (up to 20 s) for the view's next loadFinished; true when it came and succeeded.
bool WaitForLoad(QWebEngineView& view);

// Runs `script` in the page's main world and returns its value (invalid on timeout).
QVariant RunScript(QWebEngineView& view, const QString& script);

// Presses and releases the left mouse button over the centre of the first element
// matching the CSS `selector`; false when there is no such element.
bool MouseClick(QWebEngineView& view, const QString& selector);

}  // namespace vexa::test
