#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "TTempDir.h"

// One application object for all widget tests, on the offscreen platform, with the data folder
// in a private temporary folder.
int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Vellumetric::Testing::TTempDir dataHome;
  ::setenv("XDG_DATA_HOME", dataHome.Path().c_str(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
