// The scan history as a user meets it: scan, change, scan, diff; and a history file that is
// damaged, locked, read-only or on a full file system never gets in the way of the scan.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CliRunner.h"
#include "TTempDir.h"

namespace Vellumetric {
namespace {

using namespace Testing;

struct TRun {
  std::string Out;
  std::string Err;
  int Status = -1;
};

// A tree to scan and a data folder of its own, so each test starts without history.
class CliHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::chmod(Tmp.Path().c_str(), 0755), 0);
    for (const char* dir : {"tree", "tree/a", "tree/a/b", "tree/a/b/c", "tree/z", "home"}) {
      ASSERT_EQ(::mkdir((Tmp / dir).c_str(), 0755), 0);
    }
    MakeFile(Tmp / "tree/a/small.txt", 1000);
    MakeFile(Tmp / "tree/z/other.bin", 300000);
    Home = Tmp / "home";
  }

  // Runs the CLI with this test's data folder; `prefix` goes before it (another user, a lock).
  TRun Run(const std::string& args, const std::string& prefix = "") {
    TRun r;
    const std::string err = Tmp / "stderr.txt";
    r.Out = RunCommand("export XDG_DATA_HOME=" + ShellQuote(Home) + "; " + prefix +
                           ShellQuote(kCli) + " " + args + " 2>" + ShellQuote(err),
                       &r.Status);
    std::ifstream in(err);
    r.Err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
  }
  std::string Database() const { return Home + "/Quendrix Vellumetric/history.sqlite"; }
  std::string Tree() const { return Tmp / "tree"; }
  // The number of scans of the tree in the history.
  std::string ScanCount() {
    return RunCommand(
        "XDG_DATA_HOME=" + ShellQuote(Home) + " " + ShellQuote(kCli) +
        " history --json | python3 -c 'import json,sys; print(len(json.load(sys.stdin)))'");
  }
  // A scan with a broken history: the report is the one a scan without history prints, and
  // stderr holds exactly one warning line.
  void ExpectReportAndOneWarning(const std::string& prefix, const std::string& reason) {
    const TRun plain = Run("scan --json --no-history " + ShellQuote(Tree()), prefix);
    const TRun r = Run("scan --json " + ShellQuote(Tree()), prefix);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, plain.Out);
    EXPECT_FALSE(r.Out.empty());
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    EXPECT_EQ(r.Err.rfind("vellumetric-cli: ", 0), 0u) << r.Err;
    EXPECT_NE(r.Err.find(reason), std::string::npos) << r.Err;
  }

  TTempDir Tmp;
  std::string Home;
};

TEST_F(CliHistory, SecondScanAfterCopyingAFileDeepDownNamesThatFolderFirst) {
  const TRun first = Run("scan " + ShellQuote(Tree()));
  ASSERT_EQ(first.Status, 0) << first.Err;
  EXPECT_TRUE(first.Err.empty()) << first.Err;
  MakeFile(Tmp / "movie.mkv", 700ull * 1024 * 1024);
  RunCommand("cp --sparse=always " + ShellQuote(Tmp / "movie.mkv") + " " +
             ShellQuote(Tree() + "/a/b/c/"));
  ASSERT_EQ(Run("scan " + ShellQuote(Tree())).Status, 0);
  EXPECT_EQ(Run("scan --quiet " + ShellQuote(Tree())).Status, 0);
  EXPECT_EQ(Run("scan --no-history " + ShellQuote(Tree())).Status, 0);
  EXPECT_EQ(ScanCount(), "2\n");  // neither --quiet nor --no-history is kept

  // A relative PATH names the same folder.
  const TRun diff = Run("diff tree", "cd " + ShellQuote(Tmp.Path()) + " && ");
  ASSERT_EQ(diff.Status, 0) << diff.Err;
  const std::size_t spots = diff.Out.find("Growth spots\n");
  ASSERT_NE(spots, std::string::npos) << diff.Out;
  const std::string firstSpot =
      diff.Out.substr(spots + 13, diff.Out.find('\n', spots + 13) - spots - 13);
  EXPECT_TRUE(firstSpot.ends_with("/tree/a/b/c")) << diff.Out;
  EXPECT_NE(firstSpot.find("+700.00 MB"), std::string::npos) << diff.Out;
  EXPECT_NE(diff.Out.find("Total +700.00 MB  (734003200 bytes;"), std::string::npos) << diff.Out;

  struct stat st {};
  ASSERT_EQ(::stat(Database().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(CliHistory, RetentionAndUsageErrors) {
  EXPECT_EQ(Run("history").Out, "no scans in the history\n");
  ASSERT_EQ(Run("scan --json " + ShellQuote(Tree())).Status, 0);
  TRun r = Run("diff " + ShellQuote(Tree()));
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("holds 1 scan of "), std::string::npos) << r.Err;
  ASSERT_EQ(Run("scan --json " + ShellQuote(Tmp / "tree/a")).Status, 0);
  r = Run("diff 1 2");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("different folders"), std::string::npos) << r.Err;
  ASSERT_EQ(Run("scan --json " + ShellQuote(Tree())).Status, 0);
  r = Run("diff 1 3 --json");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("\"change\":0,\"growth\":[]"), std::string::npos) << r.Out;

  r = Run("history --keep 1");
  EXPECT_EQ(r.Out, "keeping the newest 1 scans of each folder; 1 older scans removed\n");
  EXPECT_EQ(ScanCount(), "2\n");  // the newest of each folder
  for (const char* bad : {"history --keep 0", "history --keep 2 x", "history a b", "diff a b",
                          "diff 1 2 3", "diff --top x", "history --bogus", "scan --no-history"}) {
    r = Run(bad);
    EXPECT_EQ(r.Status, 2) << bad;
    EXPECT_NE(r.Err.find("usage:"), std::string::npos) << bad;
  }
}

TEST_F(CliHistory, DamagedHistoryIsMovedAsideAndTheScanStartsANewOne) {
  ASSERT_EQ(Run("scan --no-history " + ShellQuote(Tree())).Status, 0);  // makes the data folder
  std::ofstream(Database(), std::ios::binary) << std::string(5000, '\x07') << "not a database";
  ExpectReportAndOneWarning("", "was damaged; it was moved to " + Database() + ".corrupt-");
  EXPECT_EQ(ScanCount(), "1\n");
}

TEST_F(CliHistory, LockedHistoryOnlyCostsAWarning) {
  ASSERT_EQ(Run("scan " + ShellQuote(Tree())).Status, 0);
  // Another process holds the write lock for as long as the scan runs.
  const std::string locker =
      "python3 -c 'import sqlite3,subprocess,sys\n"
      "c=sqlite3.connect(sys.argv[1], isolation_level=None)\n"
      "c.execute(\"begin immediate\")\n"
      "sys.exit(subprocess.run(sys.argv[2:]).returncode)' " +
      ShellQuote(Database()) + " ";
  ExpectReportAndOneWarning(locker, "database is locked");
  EXPECT_EQ(ScanCount(), "1\n");
}

TEST_F(CliHistory, ReadOnlyHistoryOnlyCostsAWarning) {
  ASSERT_EQ(Run("scan " + ShellQuote(Tree())).Status, 0);
  const std::string data = Home + "/Quendrix Vellumetric";
  // Root writes anything: then the scan runs as nobody, against files root owns.
  const bool root = ::geteuid() == 0;
  const std::string prefix = root ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  ASSERT_EQ(::chmod(Database().c_str(), root ? 0644 : 0444), 0);
  ASSERT_EQ(::chmod(data.c_str(), root ? 0755 : 0555), 0);
  ExpectReportAndOneWarning(prefix, "not added to the history");
  const TRun list = Run("history --json", prefix);  // what is there can still be read
  EXPECT_EQ(list.Status, 0) << list.Err;
  EXPECT_EQ(std::count(list.Out.begin(), list.Out.end(), '{'), 1) << list.Out;
  ::chmod(data.c_str(), 0755);
  EXPECT_EQ(ScanCount(), "1\n");
}

// A small file system mounted for the test and unmounted after it.
class TSmallTmpfs {
 public:
  explicit TSmallTmpfs(const std::string& path) : Path(path) {
    int status = -1;
    RunCommand("mount -t tmpfs -o size=512k tmpfs " + ShellQuote(Path) + " 2>&1", &status);
    Mounted = status == 0;
  }
  ~TSmallTmpfs() {
    if (Mounted) RunCommand("umount " + ShellQuote(Path));
  }
  bool Mounted = false;

 private:
  std::string Path;
};

TEST_F(CliHistory, FullFileSystemOnlyCostsAWarningAndKeepsTheHistory) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  TSmallTmpfs fs(Home);
  if (!fs.Mounted) GTEST_SKIP() << "this system does not allow mounting a tmpfs";
  ASSERT_EQ(Run("scan " + ShellQuote(Tree())).Status, 0);
  // More folders than the first scan had, so the second needs pages the disk cannot give.
  for (int i = 0; i < 300; ++i)
    ::mkdir((Tree() + "/a/b/folder_" + std::to_string(i)).c_str(), 0755);
  RunCommand("head -c 2M /dev/zero > " + ShellQuote(Home + "/fill") + " 2>/dev/null");
  ExpectReportAndOneWarning("", "the disk is full");
  ::unlink((Home + "/fill").c_str());
  EXPECT_EQ(ScanCount(), "1\n");
  ASSERT_EQ(Run("scan " + ShellQuote(Tree())).Status, 0);
  EXPECT_EQ(ScanCount(), "2\n");
}

}  // namespace
}  // namespace Vellumetric
