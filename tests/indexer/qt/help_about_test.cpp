// The shared help opener and about box.
#include "indexer/qt/help_about.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace vexa {
namespace {

TEST(HelpAbout, TopicsOpenTheirPagesOfTheManualBesideTheProgram) {
  // The build places the manual in bin/Doc, beside the test program.
  ASSERT_FALSE(HelpFolder().isEmpty());
  EXPECT_TRUE(HelpTopicPage(kHelpContents).endsWith(QStringLiteral("/Doc/index.html")));
  EXPECT_TRUE(HelpTopicPage(kHelpProfileManager).endsWith(QStringLiteral("/Doc/indexer.html")));
  EXPECT_TRUE(HelpTopicPage(kHelpProfileEditor).endsWith(QStringLiteral("/Doc/profiles.html")));
  EXPECT_EQ(HelpTopicPage(99), HelpTopicPage(kHelpContents));
}

TEST(HelpAbout, AClickOnTheAboutBoxOutsideItsLinksClosesIt) {
  bool clicked = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    QTimer::singleShot(2000, box, &QWidget::close);  // a box that ignores the click fails below
    for (QLabel* label : box->findChildren<QLabel*>()) {
      if (!label->text().contains(QStringLiteral("Version"))) continue;
      QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(4, 4));  // on the heading, no link
      clicked = true;
    }
  });
  QElapsedTimer timer;
  timer.start();
  ShowAboutBox(nullptr, {QStringLiteral("VexaDoc Indexer"), QStringLiteral("Test")});
  EXPECT_TRUE(clicked);
  EXPECT_LT(timer.elapsed(), 1500);
}

}  // namespace
}  // namespace vexa
