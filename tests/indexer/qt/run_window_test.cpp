// The run window: what its log shows, Cancel and Close, and closing it during a run.
#include "indexer/qt/run_window.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <functional>

#include "index/tindex.h"
#include "indexer/qt/scripted_prompts.h"
#include "run_fixture.h"

namespace vexa {
namespace {

// A run window whose user acts at a chosen moment: `act` runs at the given call of
// ProcessPendingInput, the points where a real click would be handled.
class ActingRunWindow : public Tindexf {
 public:
  using Tindexf::Tindexf;
  int actAt = -1;
  std::function<void()> act;
  int calls = 0;

  void ProcessPendingInput() override {
    if (++calls == actAt && act) act();
    Tindexf::ProcessPendingInput();
  }
};

class RunWindowTest : public test::RunFixture {
 protected:
  std::string LogText() const { return window_.m->toPlainText().toStdString(); }
  bool LogHas(const std::string& line) const {
    return ("\n" + LogText() + "\n").find("\n" + line + "\n") != std::string::npos;
  }

  CommandLineOptions options_;
  test::ScriptedPrompts prompts_;
  ActingRunWindow window_{options_, prompts_};
};

TEST_F(RunWindowTest, ContinuationJoinsOnlyALineEndingInAnEllipsis) {
  const struct {
    std::vector<std::string> messages;
    const char* shown;
  } cases[] = {
      {{"Clearing index from unexisted files ...", "- Done"},
       "Clearing index from unexisted files ... - Done"},
      {{"Indexing finished", "- Done"}, "Indexing finished"},
      {{"- Done"}, ""},
      {{"Preparing Index ...", "", "- Done"}, "Preparing Index ...\n"},
      {{"a ...", "- one", "- two"}, "a ... - one"},
      {{"", "b", ""}, "\nb\n"},
  };
  for (const auto& c : cases) {
    ActingRunWindow window(options_, prompts_);
    for (const std::string& message : c.messages) window.Run().AddLogLine(message);
    EXPECT_EQ(window.m->toPlainText().toStdString(), c.shown) << c.messages.front();
  }
}

TEST_F(RunWindowTest, AddressesInTheLogAreLinks) {
  window_.Run().AddLogLine("see https://example.org/a?b=1 and file:///tmp/x y");
  EXPECT_EQ(LogText(), "see https://example.org/a?b=1 and file:///tmp/x y");
  const QString html = window_.m->toHtml();
  EXPECT_TRUE(html.contains(QStringLiteral("href=\"https://example.org/a?b=1\""))) << html.toStdString();
  EXPECT_TRUE(html.contains(QStringLiteral("href=\"file:///tmp/x\"")));
}

TEST_F(RunWindowTest, CancelStopsTheProfileAndTheNextOneRunsNormally) {
  const std::string first = MakeProfile("first", 120);
  const std::string second = MakeProfile("second", 3);
  window_.actAt = 10;  // the user clicks while the first folder pass adds its documents
  window_.act = [this] {
    EXPECT_EQ(window_.Button1->text(), QStringLiteral("Cancel"));
    window_.Button1->click();
  };
  window_.Run().RunProfiles({first, second}, false);

  const std::string log = LogText();
  const auto aborted = log.find("Indexing was aborted due to user request");
  const auto secondStart = log.find("Executing profile second");
  ASSERT_NE(aborted, std::string::npos) << log;
  ASSERT_NE(secondStart, std::string::npos);
  EXPECT_LT(aborted, secondStart);
  EXPECT_EQ(log.substr(0, secondStart).find("Preparing Index"), std::string::npos) << log;
  EXPECT_NE(log.find("3 files were scanned, 3 files were added to index", secondStart),
            std::string::npos) << log;
  EXPECT_TRUE(prompts_.shown.empty());

  TIndex index;
  index.FileName = IndexFile("first");
  index.Open(false);
  EXPECT_LT(index.DocumentCount(), 120);
  EXPECT_EQ(index.GetIntSetting("Index_broken", -1), 1);
}

TEST_F(RunWindowTest, CancelWithNothingRunningDoesNothingAndCloseCloses) {
  int closed = 0;
  QObject::connect(&window_, &Tindexf::closed, [&] { ++closed; });
  window_.show();
  window_.Button1->click();  // "Cancel", no profile running
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(window_.isVisible());

  // The manager's batch keeps the window open with "Close" until the user closes it.
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (!window_.isModal()) return;  // the run is still going on
    user.stop();
    EXPECT_EQ(window_.Button1->text(), QStringLiteral("Close"));
    window_.Button1->click();
  });
  user.start(5);
  window_.Run().RunProfiles({MakeProfile("docs", 2)}, true);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.Button1->text(), QStringLiteral("Cancel"));
}

TEST_F(RunWindowTest, ClosingDuringARunMinimizesOrReturnsToTheTray) {
  int closed = 0;
  QObject::connect(&window_, &Tindexf::closed, [&] { ++closed; });
  std::vector<std::string> states;
  const auto state = [this] {
    return std::string(window_.isVisible() ? "visible" : "hidden") +
           (window_.isMinimized() ? " minimized" : "");
  };
  window_.actAt = 5;
  window_.act = [&] {
    EXPECT_FALSE(window_.close());
    states.push_back(state());
    window_.trDblClick();  // brought up from the tray
    states.push_back(state());
    EXPECT_FALSE(window_.close());
    states.push_back(state() + (window_.ShownFromTray() ? " from tray" : ""));
  };
  window_.Run().RunProfiles({MakeProfile("docs", 20)}, false);
  EXPECT_EQ(states, (std::vector<std::string>{"visible minimized", "visible", "hidden"}));
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(LogHas("Indexing finished")) << LogText();  // the run went on
}

}  // namespace
}  // namespace vexa
