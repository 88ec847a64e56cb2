#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "TTempDir.h"
#include "system/SystemFolders.h"
#include "system/TApplicationInfo.h"

namespace Vellumetric {
namespace {

using Testing::MakeFile;
using Testing::RunCommand;
using Testing::ShellQuote;
using Testing::TTempDir;

// Points the data folder at a test location for the length of one test.
class TScopedDataHome {
 public:
  explicit TScopedDataHome(const std::string& path) {
    if (const char* old = std::getenv("XDG_DATA_HOME")) Saved = old, HadValue = true;
    ::setenv("XDG_DATA_HOME", path.c_str(), 1);
  }
  ~TScopedDataHome() {
    if (HadValue) {
      ::setenv("XDG_DATA_HOME", Saved.c_str(), 1);
    } else {
      ::unsetenv("XDG_DATA_HOME");
    }
  }

 private:
  std::string Saved;
  bool HadValue = false;
};

TEST(TApplicationInfo, CreatesTheDataFolderWithBackupAndTemp) {
  TTempDir tmp;
  TScopedDataHome home(tmp / "share");  // missing: created like any XDG base folder
  TApplicationInfo info;
  std::string message;
  ASSERT_TRUE(info.Init(VellumetricProductIndex, "1.2.0", 6, message)) << message;
  EXPECT_EQ(info.Product().FullName, "Quendrix Vellumetric");
  EXPECT_EQ(info.Product().RegistryKey, "SOFTWARE\\Quendrix Vellumetric");
  EXPECT_EQ(info.Product().Description.back(), ' ');
  EXPECT_EQ(info.DataFolder(), tmp / "share/Quendrix Vellumetric");
  EXPECT_EQ(info.BackupFolder(), tmp / "share/Quendrix Vellumetric/Backup");
  EXPECT_TRUE(DirectoryExists(info.TempFolder()));
  EXPECT_TRUE(DirectoryExists(info.InstallFolder()));
  // A second start-up finds everything in place.
  TApplicationInfo again;
  EXPECT_TRUE(again.Init(VellumetricProductIndex, "1.2.0", 6, message));
  // An unknown product index keeps the values it had.
  EXPECT_TRUE(again.Init(99, "1.2.0", 6, message));
  EXPECT_EQ(again.Product().ShortName, "Vellumetric");
}

TEST(TApplicationInfo, DataFolderUnderARegularFileFailsWithMessage751) {
  TTempDir tmp;
  MakeFile(tmp / "plain", 0);
  TScopedDataHome home(tmp / "plain/share");
  TApplicationInfo info;
  std::string message;
  EXPECT_FALSE(info.Init(VellumetricProductIndex, "1.2.0", 6, message));
  EXPECT_EQ(message,
            "Cannot read application path. Reinstall your copy of Quendrix Vellumetric to solve "
            "the problem.");
  EXPECT_EQ(RunCommand("find " + ShellQuote(tmp.Path()) + " -mindepth 1 | wc -l"), "1\n");
}

TEST(TApplicationInfo, BackupFolderFallsBackToTheCurrentFolder) {
  TTempDir tmp;
  TScopedDataHome home(tmp / "share");
  TApplicationInfo info;
  std::string message;
  ASSERT_TRUE(info.Init(VellumetricProductIndex, "1.2.0", 6, message));
  ASSERT_EQ(::rmdir(info.BackupFolder().c_str()), 0);
  const std::string work = tmp / "cwd";
  ASSERT_EQ(::mkdir(work.c_str(), 0755), 0);
  const std::string before = GetCurrentFolder();
  ASSERT_EQ(::chdir(work.c_str()), 0);
  const std::string backup = info.BackupFolder();
  ASSERT_EQ(::chdir(before.c_str()), 0);
  EXPECT_EQ(backup, work + "/Backup");
  EXPECT_TRUE(DirectoryExists(backup));
}

}  // namespace
}  // namespace Vellumetric
