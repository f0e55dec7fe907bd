// The profile manager window: action enabling, marks, the "Index File" group, and
// Refresh/Rebuild through the run window.
#include "indexer/qt/profile_manager.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTableWidget>
#include <QTextBrowser>

#include "indexer/qt/profile_editor.h"
#include "indexer/qt/run_window.h"
#include "indexer/qt/scripted_prompts.h"
#include "run_fixture.h"

namespace vexa {
namespace {

// A run window whose user closes it as soon as it waits modally after a batch, and which
// notes whether the manager was hidden while the batch ran.
class ClosingRunWindow : public Tindexf {
 public:
  using Tindexf::Tindexf;
  QWidget* manager = nullptr;
  bool managerSeen = false;
  void ShowModal() override {}
  void ProcessPendingInput() override {
    if (manager && manager->isVisible()) managerSeen = true;
    Tindexf::ProcessPendingInput();
  }
};

class ProfileManagerTest : public test::RunFixture {
 protected:
  // Enabling of New, Edit, Delete, Refresh, Rebuild, Delete Index, as "1" and "0".
  std::string Enabling() const {
    std::string flags;
    for (QAction* action : {manager_.New, manager_.Edit, manager_.Delete, manager_.Refresh,
                            manager_.Rebuild, manager_.Delete_index})
      flags += action->isEnabled() ? '1' : '0';
    return flags;
  }
  void Mark(int row) { manager_.g->item(row, Tf_indexes::kMark)->setCheckState(Qt::Checked); }
  // "Full" or "Incremental" for each profile run in the run window's log, in order.
  std::vector<std::string> RunKinds() const {
    std::vector<std::string> kinds;
    for (const QString& line : runWindow_.m->toPlainText().split(QLatin1Char('\n'))) {
      if (line.startsWith(QStringLiteral("Full Reindexing"))) kinds.push_back("Full");
      if (line.startsWith(QStringLiteral("Incremental Reindexing"))) kinds.push_back("Incremental");
    }
    return kinds;
  }

  CommandLineOptions options_;
  test::ScriptedPrompts prompts_;
  TForm1 editor_{prompts_};
  ClosingRunWindow runWindow_{options_, prompts_};
  Tf_indexes manager_{editor_, runWindow_, options_, prompts_};
};

TEST_F(ProfileManagerTest, ActionsFollowTheRowsAndTheMarks) {
  manager_.FormShow();
  EXPECT_EQ(manager_.g->rowCount(), 0);
  EXPECT_EQ(Enabling(), "100000");  // no profiles: only New

  MakeProfile("docs", 1);
  MakeProfile("mail", 1);
  manager_.RefreshList();
  EXPECT_EQ(Enabling(), "110000");  // a row is selected, none marked
  EXPECT_EQ(manager_.lfile->text().toStdString(), IndexFile("docs"));
  EXPECT_EQ(manager_.lreb->text(), QStringLiteral("the Index is not created yet"));

  manager_.g->setCurrentCell(1, Tf_indexes::kProfile);
  EXPECT_EQ(manager_.lfile->text().toStdString(), IndexFile("mail"));
  EXPECT_EQ(manager_.RememberedRow, 1);
  Mark(1);
  EXPECT_EQ(Enabling(), "111111");

  manager_.RefreshList();  // every refresh clears the marks and keeps the remembered row
  EXPECT_EQ(Enabling(), "110000");
  EXPECT_EQ(manager_.g->currentRow(), 1);
}

TEST_F(ProfileManagerTest, RebuildRunsFullOnceAndRefreshFollowsTheCommandLine) {
  MakeProfile("docs", 2);
  MakeProfile("mail", 2);
  options_.optFull = true;  // "-full" on the command line
  runWindow_.manager = &manager_;
  manager_.show();

  using Kinds = std::vector<std::string>;
  const auto runMarked = [&](void (Tf_indexes::*action)()) {
    Mark(0);
    Mark(1);
    (manager_.*action)();
    return RunKinds();
  };
  EXPECT_EQ(runMarked(&Tf_indexes::RefreshExecute), (Kinds{"Full", "Full"}));  // "-full" holds
  prompts_.answers = {true};
  EXPECT_EQ(runMarked(&Tf_indexes::RebuildExecute), (Kinds{"Full", "Full"}));
  EXPECT_FALSE(options_.optFull);  // cleared when the Rebuild has ended
  EXPECT_EQ(runMarked(&Tf_indexes::RefreshExecute), (Kinds{"Incremental", "Incremental"}));

  EXPECT_EQ(prompts_.shown, (std::vector<std::string>{
                                "? Do you really want to rebuild selected indexes from scratch?"}));
  EXPECT_FALSE(runWindow_.managerSeen);  // hidden while its batches ran
  EXPECT_TRUE(manager_.isVisible());
  EXPECT_EQ(manager_.g->item(0, Tf_indexes::kNfiles)->text(), QStringLiteral("2"));
}

TEST_F(ProfileManagerTest, RebuildRunsTheMarkedProfilesInRowOrderAfterAYes) {
  MakeProfile("a", 1);
  MakeProfile("b", 1);
  MakeProfile("c", 1);
  manager_.RefreshList();
  Mark(2);
  Mark(0);
  EXPECT_EQ(manager_.MarkedProfilePaths(),
            (std::vector<std::string>{ProfilePath("a"), ProfilePath("c")}));
  prompts_.answers = {false};  // No: nothing runs
  manager_.RebuildExecute();
  EXPECT_TRUE(runWindow_.m->toPlainText().isEmpty());

  Mark(2);
  Mark(0);
  prompts_.answers = {true};
  manager_.RebuildExecute();
  const std::string log = runWindow_.m->toPlainText().toStdString();
  const auto a = log.find("Executing profile a"), c = log.find("Executing profile c");
  ASSERT_NE(a, std::string::npos) << log;
  ASSERT_NE(c, std::string::npos) << log;
  EXPECT_LT(a, c);
  EXPECT_EQ(log.find("Executing profile b"), std::string::npos);
}

}  // namespace
}  // namespace vexa
