// Entry point of the Qt test programs: one QApplication for all tests, created after
// the test list was read so that listing the tests needs no display either.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Chromium's sandbox cannot run as root; the tests load only their own pages.
  if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
