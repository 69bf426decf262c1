// The main of every GUI test program: the application on Qt's offscreen
// platform (unless the caller chose another), then the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The message boxes are drawn by the toolkit, not handed to a desktop
  // service; no accessibility bus is looked for.
  ::setenv("NO_AT_BRIDGE", "1", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
