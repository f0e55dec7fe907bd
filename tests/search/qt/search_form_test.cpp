// The real search window with its web view, offscreen: a search started with Enter shows
// page 1 of a fixture index, a click on a page link shows page 2, a click on a file link
// asks the shell to open that file and marks the link visited.
//
// With VEXA_SCREENSHOT set to a file name (scripts/screenshot-search.sh does this under
// Xvfb), the window showing page 2 is also saved there as a picture.
#include "search/qt/search_form.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "config/folders.h"
#include "search/qt/result_view.h"
#include "search_fixture.h"
#include "web_test_util.h"

namespace vexa {
namespace {

using test::MouseClick;
using test::RunScript;
using test::WaitForLoad;

std::string Script(ResultView& view, const char* script) {
  return RunScript(view, script).toString().toStdString();
}

TEST(SearchForm, SearchesPagesAndOpensAFile) {
  test::SearchHome home;
  // The page's style sheet is looked for in the program folder.
  std::filesystem::create_directories(home.Path("prog/CSS"));
  std::filesystem::copy_file(VEXA_STYLE_SHEET, home.Path("prog/CSS/style.css"));
  Config().WriteInteger("Pagelen", 5);
  test::MakeIndex(home.Path("apples.db"), test::AppleDocuments(12));
  test::WriteIndexList({{home.Path("apples.db"), "Apples"}});

  test::RecordingShell shell;
  TForm1 form(shell);
  ResultView& view = form.View();
  form.show();
  ASSERT_TRUE(WaitForLoad(view));  // about:blank

  auto* qq = form.findChild<QComboBox*>("qq");
  ASSERT_NE(qq, nullptr);
  qq->lineEdit()->setFocus();
  QTest::keyClicks(qq->lineEdit(), "apple");
  QTest::keyClick(qq->lineEdit(), Qt::Key_Return);
  ASSERT_TRUE(WaitForLoad(view));
  EXPECT_EQ(Script(view, "document.querySelectorAll('a.bb').length.toString()"), "5");
  EXPECT_EQ(Script(view, "document.querySelector('a.pg').textContent"), "1");
  EXPECT_EQ(Script(view, "document.styleSheets[0].cssRules.length > 0 ? 'styled' : ''"), "styled");

  ASSERT_TRUE(MouseClick(view, "a[page='2']"));
  ASSERT_TRUE(WaitForLoad(view));
  EXPECT_EQ(Script(view, "document.querySelector('a.pg').textContent"), "2");
  EXPECT_EQ(Script(view, "document.querySelector('td').textContent").substr(0, 20), "12 documents found (");

  const std::string name = Script(view, "document.querySelector('a[ii=\"1\"][nf=\"0\"]').textContent");
  ASSERT_TRUE(MouseClick(view, "a[ii='1'][nf='0']"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shell.documents.empty(); }, 10000));
  EXPECT_EQ(shell.documents, std::vector<std::string>{name});
  EXPECT_EQ(name.substr(0, 6), "/docs/");
  EXPECT_EQ(Script(view, "document.querySelector('a[ii=\"1\"]').className"), "vv");
  EXPECT_EQ(Script(view, "document.querySelector('a.pg').textContent"), "2");  // no navigation

  if (const char* picture = std::getenv("VEXA_SCREENSHOT")) {
    QTest::qWait(500);  // let the compositor paint the page
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(form.winId());
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(picture)));
  }
}

}  // namespace
}  // namespace vexa
