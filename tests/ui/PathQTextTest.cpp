// Paths handed between Qt's dialogs and the program keep every letter on every system.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "system/NativePlatform.h"
#include "system/TextEncoding.h"
#include "ui/common/PathQText.h"

namespace Vellumetric {
namespace {

TEST(PathQText, AFileQtMadeIsFoundByTheProgramUnderItsName) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // As a save or folder dialog answers: forward slashes, letters outside any ANSI code page.
  const QString made = dir.path() + QString::fromUtf8("/Zo\xc3\xab \xe6\x97\xa5\xe6\x9c\xac.sbf");
  QFile file(made);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  const std::string path = PathFromQt(made);
  EXPECT_TRUE(std::filesystem::exists(Utf8Path(path))) << path;
  const bool windows = NativePathStyle() == TPathStyle::Windows;
  EXPECT_EQ(path.find(windows ? '/' : '\\'), std::string::npos) << path;
  EXPECT_TRUE(QFile::exists(PathToQt(path)));
}

}  // namespace
}  // namespace Vellumetric
