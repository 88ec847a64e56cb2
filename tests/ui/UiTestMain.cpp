#include <gtest/gtest.h>

#include <QApplication>

#include "TTempDir.h"

// One application object for all widget tests, on the offscreen platform, with the data folder
// in a private temporary folder.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  Vellumetric::Testing::TTempDir dataHome;
  qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome.Path()));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
