// The profile editor: refused characters, enabling rules, the ".db" rule, change
// detection, saving over hand-written settings and the ways of closing.
#include "indexer/qt/profile_editor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "config/folders.h"
#include "indexer/qt/scripted_prompts.h"
#include "support/temp_home.h"

namespace vexa {
namespace {

using test::ScriptedPrompts;

constexpr char kQuestion[] = "? Indexer profile have been changed. Do you want to save settings?";

// A profile file as a user may leave it after editing it by hand.
constexpr char kHandWritten[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Configuration>
  <Index>
    <tag>t</tag>
    <title>Old title</title>
    <ifile>/idx/old.db</ifile>
    <items>
      <Item0><path>/docs</path><incl>*.txt</incl><excl/><en>TRUE</en></Item0>
      <Count>1</Count>
    </items>
    <clear_files>0</clear_files>
    <flags>fast</flags>
    <maxscan>77</maxscan>
    <debug>1</debug>
  </Index>
</Configuration>
)";

class ProfileEditorTest : public ::testing::Test {
 protected:
  ProfileEditorTest() { InitPaths(); }

  static void WriteProfile(const std::string& name, const std::string& xml) {
    test::WriteFile(ProfilePath(name), xml);
  }
  static TIndp ReadProfile(const std::string& name) {
    TIndp profile;
    profile.LoadProfile(ProfilePath(name));
    return profile;
  }
  // Save enabled, index file field enabled, e.g. "save=0 ind=1".
  std::string Enabling() const {
    return std::string("save=") + (editor_.save->isEnabled() ? "1" : "0") +
           " ind=" + (editor_.e_ind->isEnabled() ? "1" : "0");
  }
  // Types `text` into `widget` one character at a time, as key presses carrying text.
  static void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(widget, &press);
    }
  }
  static void LeaveField(QWidget* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
  }

  test::TempHome home_;
  ScriptedPrompts prompts_;
  TForm1 editor_{prompts_};
};

TEST_F(ProfileEditorTest, ProfileNameDropsTheRefusedCharacters) {
  const struct {
    const char* typed;
    const char* kept;
  } cases[] = {
      {"abc", "abc"},
      {"my profile.v2", "myprofilev2"},
      {R"(a\b/c>d<e,f:g;h*i"j'k(l)m&n%o@p!q~r`s|t{u}v[w]x=y+z.)", "abcdefghijklmnopqrstuvwxyz"},
      {"Gr\xc3\xbc\xc3\x9f" "e_1-2$#?^", "Gr\xc3\xbc\xc3\x9f" "e_1-2$#?^"},
  };
  for (const auto& c : cases) {
    editor_.PrepareNew();
    Type(editor_.e_prof, QString::fromUtf8(c.typed));
    EXPECT_EQ(editor_.e_prof->text().toStdString(), c.kept) << c.typed;
  }
  QTest::keyClick(editor_.e_prof, Qt::Key_Backspace);  // other keys pass
  EXPECT_EQ(editor_.e_prof->text(), QStringLiteral("Gr\u00fc\u00dfe_1-2$#?"));
  editor_.e_prof->insert(QStringLiteral("x/y"));  // a paste holding a slash is refused
  EXPECT_EQ(editor_.e_prof->text(), QStringLiteral("Gr\u00fc\u00dfe_1-2$#?"));
}

TEST_F(ProfileEditorTest, NewProfileOffersSaveOnceNameFileTitleAndFolderAreThere) {
  editor_.PrepareNew();
  std::vector<std::string> steps{Enabling()};
  Type(editor_.e_prof, QStringLiteral("docs"));
  steps.push_back(Enabling());
  editor_.e_ind->setText(QStringLiteral("/idx/docs.db"));
  steps.push_back(Enabling());
  Type(editor_.e_title, QStringLiteral("My documents"));
  steps.push_back(Enabling());
  prompts_.folder = QStringLiteral("/home/u/Documents");
  editor_.AddPathClick();
  steps.push_back(Enabling());
  editor_.e_prof->clear();
  steps.push_back(Enabling());
  EXPECT_EQ(steps, (std::vector<std::string>{"save=0 ind=0", "save=0 ind=1", "save=0 ind=1",
                                             "save=0 ind=1", "save=1 ind=1", "save=0 ind=0"}));

  ASSERT_EQ(editor_.g->rowCount(), 1);
  EXPECT_EQ(editor_.g->item(0, TForm1::kEn)->checkState(), Qt::Checked);
  EXPECT_EQ(editor_.g->item(0, TForm1::kPath)->text(), QStringLiteral("/home/u/Documents"));
  EXPECT_EQ(editor_.g->item(0, TForm1::kIncl)->text(),
            QStringLiteral("*.doc *.docx *.xls *.rtf *.txt *.htm *.html *.pdf *.odt *.xlsx *.pptx"));
  EXPECT_TRUE(editor_.deletePath->isEnabled());
  editor_.DeletePathClick();
  EXPECT_EQ(editor_.g->rowCount(), 0);
  EXPECT_FALSE(editor_.deletePath->isEnabled());
}

TEST_F(ProfileEditorTest, LeavingTheIndexFileFieldAppendsDbUnlessItIsThere) {
  const struct {
    const char* typed;
    const char* left;
  } cases[] = {
      {"", ""},
      {"index", "index.db"},
      {"/idx/Docs.DB", "/idx/Docs.DB"},
      {"/idx/docs.sqlite", "/idx/docs.sqlite.db"},
      {"/idx.d/docs", "/idx.d/docs.db"},  // a point in a folder name is no extension
  };
  editor_.PrepareNew();
  Type(editor_.e_prof, QStringLiteral("docs"));
  for (const auto& c : cases) {
    editor_.e_ind->setText(QString::fromUtf8(c.typed));
    LeaveField(editor_.e_ind);
    EXPECT_EQ(editor_.e_ind->text().toStdString(), c.left) << c.typed;
  }
}

TEST_F(ProfileEditorTest, BrowseProposesTheProfileNameWithDb) {
  editor_.PrepareNew();
  Type(editor_.e_prof, QStringLiteral("docs"));
  prompts_.indexFile = QStringLiteral("/chosen/docs.db");
  editor_.e_indBrowse->click();
  EXPECT_EQ(prompts_.offeredIndexFile.toStdString(), DataFolder() + "/docs.db");
  EXPECT_EQ(editor_.e_ind->text(), QStringLiteral("/chosen/docs.db"));

  prompts_.indexFile.clear();  // cancelled: the field keeps its text
  editor_.e_indBrowse->click();
  EXPECT_EQ(prompts_.offeredIndexFile, QStringLiteral("/chosen/docs.db"));
  EXPECT_EQ(editor_.e_ind->text(), QStringLiteral("/chosen/docs.db"));
}

TEST_F(ProfileEditorTest, SaveKeepsHandWrittenSettingsAndResetsTheHiddenOnes) {
  WriteProfile("docs", kHandWritten);
  ASSERT_TRUE(editor_.PrepareEdit("docs"));
  EXPECT_EQ(editor_.windowTitle(), QStringLiteral("Updating Index Profile"));
  EXPECT_EQ(editor_.e_title->text(), QStringLiteral("Old title"));
  EXPECT_FALSE(editor_.save->isEnabled());

  editor_.e_title->setText(QStringLiteral("New title"));
  ASSERT_TRUE(editor_.save->isEnabled());
  editor_.save->click();

  const TIndp saved = ReadProfile("docs");
  EXPECT_EQ(saved.title, "New title");
  EXPECT_EQ(saved.ifile, "/idx/old.db");
  EXPECT_EQ(saved.tag, "t");
  ASSERT_EQ(saved.items.Count(), 1u);
  EXPECT_EQ(saved.items.Item(0).incl, "*.txt");
  EXPECT_EQ(saved.maxscan, 77);  // never written by a save: kept
  EXPECT_EQ(saved.debug, 1);
  EXPECT_EQ(saved.clear_files, 1);  // not shown by the editor: new-profile values
  EXPECT_EQ(saved.flags, "");
  EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(ProfileEditorTest, ToggleAndCellEditsCountAsChanges) {
  WriteProfile("docs", kHandWritten);
  ASSERT_TRUE(editor_.PrepareEdit("docs"));
  QTableWidgetItem* check = editor_.g->item(0, TForm1::kEn);
  check->setCheckState(Qt::Unchecked);
  EXPECT_TRUE(editor_.save->isEnabled());
  check->setCheckState(Qt::Checked);
  EXPECT_FALSE(editor_.save->isEnabled());

  // Typing into a cell counts before the cell is left, so Save can be clicked at once.
  editor_.show();
  editor_.g->setCurrentCell(0, TForm1::kIncl);
  editor_.g->editItem(editor_.g->item(0, TForm1::kIncl));
  QWidget* cellEditor = editor_.g->indexWidget(editor_.g->model()->index(0, TForm1::kIncl));
  ASSERT_TRUE(qobject_cast<QLineEdit*>(cellEditor));
  static_cast<QLineEdit*>(cellEditor)->end(false);  // editing starts with all selected
  Type(cellEditor, QStringLiteral(" *.md"));
  EXPECT_TRUE(editor_.save->isEnabled());
  editor_.save->click();
  EXPECT_EQ(ReadProfile("docs").items.Item(0).incl, "*.txt *.md");
}

TEST_F(ProfileEditorTest, OnlyCancelClosesWithoutAsking) {
  const struct {
    const char* how;
    std::deque<bool> answers;
    const char* title_after;  // the profile file's title afterwards
    bool asked;
  } cases[] = {
      {"cancel", {}, "Old title", false},
      {"close box, No", {false}, "Old title", true},
      {"close box, Yes", {true}, "Changed", true},
      {"save, then close box", {}, "Changed", false},
  };
  for (const auto& c : cases) {
    WriteProfile("docs", kHandWritten);
    ScriptedPrompts prompts;
    prompts.answers = c.answers;
    TForm1 editor(prompts);
    ASSERT_TRUE(editor.PrepareEdit("docs"));
    editor.show();
    editor.e_title->setText(QStringLiteral("Changed"));
    const std::string how = c.how;
    if (how == "cancel") {
      editor.cancel->click();
    } else {
      if (how.starts_with("save")) editor.SaveIfChanged(false);
      EXPECT_TRUE(editor.close()) << how;
    }
    EXPECT_FALSE(editor.isVisible()) << how;
    EXPECT_EQ(ReadProfile("docs").title, c.title_after) << how;
    EXPECT_EQ(prompts.shown, c.asked ? std::vector<std::string>{kQuestion}
                                     : std::vector<std::string>{})
        << how;
  }
}

TEST_F(ProfileEditorTest, ClosingRefusesToSaveAProfileWithoutName) {
  editor_.PrepareNew();
  editor_.show();
  Type(editor_.e_title, QStringLiteral("Untitled"));
  prompts_.answers = {true};
  EXPECT_FALSE(editor_.close());
  EXPECT_TRUE(editor_.isVisible());
  ASSERT_EQ(prompts_.shown.size(), 2u);
  EXPECT_EQ(prompts_.shown[1].substr(0, 38), "i A profile without a name cannot be s");
  EXPECT_FALSE(std::filesystem::exists(ProfilePath("")));

  prompts_.answers = {false};  // the user gives up: closes without saving
  EXPECT_TRUE(editor_.close());
}

TEST_F(ProfileEditorTest, ChangingTheNameSavesANewFileAndKeepsTheOld) {
  WriteProfile("docs", kHandWritten);
  ASSERT_TRUE(editor_.PrepareEdit("docs"));
  editor_.e_prof->setText(QStringLiteral("papers"));
  ASSERT_TRUE(editor_.save->isEnabled());
  editor_.save->click();
  EXPECT_EQ(ReadProfile("papers").title, "Old title");
  EXPECT_EQ(ReadProfile("papers").maxscan, 0);  // hand-written values stay with the old file
  EXPECT_EQ(ReadProfile("docs").maxscan, 77);
}

TEST_F(ProfileEditorTest, AProfileThatCannotBeOpenedKeepsTheDialogClosed) {
  WriteProfile("broken", "<Configuration><Index><title>x</Index>");
  EXPECT_FALSE(editor_.PrepareEdit("missing"));
  EXPECT_FALSE(editor_.PrepareEdit("broken"));
  ASSERT_EQ(prompts_.shown.size(), 2u);
  EXPECT_EQ(prompts_.shown[0], "i The file " + ProfilePath("missing") + " is not found");
  EXPECT_EQ(prompts_.shown[1].substr(0, 2), "! ");
}

TEST_F(ProfileEditorTest, ASaveThatDoesNotReachTheDiskKeepsTheDialogOpen) {
  WriteProfile("docs", kHandWritten);
  ASSERT_EQ(chmod(ProfilePath("docs").c_str(), 0444), 0);
  ASSERT_TRUE(editor_.PrepareEdit("docs"));
  editor_.show();
  editor_.e_title->setText(QStringLiteral("New title"));
  editor_.save->click();
  EXPECT_TRUE(editor_.isVisible());
  EXPECT_EQ(prompts_.shown,
            std::vector<std::string>{"! The profile could not be written to " + ProfilePath("docs")});
  EXPECT_EQ(ReadProfile("docs").title, "Old title");
}

}  // namespace
}  // namespace vexa
