#include <gtest/gtest.h>

#include <QApplication>

#include "TDataHome.h"
#include "TTempDir.h"

// One application object for all widget tests, on the offscreen platform, with the data folder
// in a private temporary folder.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef VLM_TEST_FONT_DIR
  if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
    qputenv("QT_QPA_FONTDIR", QString::fromUtf8(VLM_TEST_FONT_DIR).toLocal8Bit());
  }
#endif
  Vellumetric::Testing::TTempDir dataHome;
  const Vellumetric::Testing::TDataHome data(dataHome.Path());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
