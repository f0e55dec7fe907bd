// The web view adapter on a fixed page: what a click hands over, that the default action
// never runs, that a file link is marked visited, and that a page over the in-memory
// limit still shows.
#include "search/qt/result_view.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "web_test_util.h"

namespace vexa {
namespace {

using test::MouseClick;
using test::RunScript;
using test::WaitForLoad;

constexpr char kPage[] =
    "<html><body>"
    "<a id=f ii=\"2\" nf=\"1\" class=\"bb\" href=\"*\">/docs/a b.txt</a><br>"
    "<a id=p PAGE=\"3\" href=\"3\">3</a> <a id=w www=\"https://example.org/\" href=\"*\">site</a>"
    "<p id=t>plain text</p></body></html>";

class ResultViewTest : public testing::Test {
 protected:
  void SetUp() override {
    view_.resize(600, 400);
    view_.show();
    QObject::connect(&view_, &ResultView::ElementClicked,
                     [this](const ElementAttributes& a) { clicks_.push_back(a); });
    view_.WritePage(kPage, QDir::tempPath());
    ASSERT_TRUE(WaitForLoad(view_));
  }

  // Clicks the element with this id by script and waits for the bridge to report it.
  ElementAttributes ScriptClick(const QString& id) {
    const size_t before = clicks_.size();
    RunScript(view_, QStringLiteral("document.getElementById('%1').click()").arg(id));
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks_.size() > before; }, 10000));
    return clicks_.size() > before ? clicks_.back() : ElementAttributes{};
  }

  std::string Url() { return RunScript(view_, "location.href").toString().toStdString(); }

  ResultView view_;
  std::vector<ElementAttributes> clicks_;
};

TEST_F(ResultViewTest, ClickHandsOverAttributesCaseInsensitively) {
  struct Case {
    const char* id;
    const char* name;  // asked in another case than the page writes it
    const char* value;
  };
  const Case cases[] = {{"f", "II", "2"}, {"f", "Nf", "1"}, {"p", "page", "3"},
                        {"w", "WWW", "https://example.org/"}, {"p", "ii", ""}, {"t", "page", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " " + c.name);
    EXPECT_EQ(AttributeValue(ScriptClick(c.id), c.name), c.value);
  }
}

TEST_F(ResultViewTest, FileLinkIsMarkedVisitedAndNoLinkIsFollowed) {
  const std::string start = Url();
  ScriptClick("f");
  ScriptClick("p");
  EXPECT_EQ(RunScript(view_, "document.getElementById('f').className").toString().toStdString(), "vv");
  EXPECT_EQ(RunScript(view_, "document.getElementById('p').className").toString().toStdString(), "");
  QTest::qWait(300);  // a followed href would have navigated by now
  EXPECT_EQ(Url(), start);
}

TEST_F(ResultViewTest, RealMouseClickReachesTheBridgeWithoutNavigating) {
  const std::string start = Url();
  ASSERT_TRUE(MouseClick(view_, "#p"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !clicks_.empty(); }, 10000));
  EXPECT_EQ(AttributeValue(clicks_.back(), "page"), "3");
  QTest::qWait(300);
  EXPECT_EQ(Url(), start);
}

TEST(ResultViewPage, PageAboveTheInMemoryLimitStillShows) {
  ResultView view;
  std::string html = "<html><body><p id=last>end</p>";
  html.insert(12, std::string(3 * 1024 * 1024, 'x'));
  view.WritePage(html, QDir::tempPath());
  ASSERT_TRUE(WaitForLoad(view));
  EXPECT_EQ(RunScript(view, "document.getElementById('last').textContent").toString().toStdString(), "end");
}

}  // namespace
}  // namespace vexa
