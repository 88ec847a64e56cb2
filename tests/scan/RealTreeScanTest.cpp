// Scans of real trees made at test time, checked against du and find.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

#include "TScanHarness.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "filetypes/DefaultFileTypes.h"
#include "model/TFolderFileIndex.h"
#include "model/VLMMessages.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "system/NativePlatform.h"

namespace Vellumetric {
namespace {

using namespace Testing;

using TRealScan = TScanHarness;

void MakeDir(const std::string& path) {
  ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
}

// NUL-separated records "number<TAB>path" printed by a command.
std::map<std::string, unsigned long long> NumberedPaths(const std::string& command) {
  std::map<std::string, unsigned long long> result;
  const std::string out = RunCommand(command);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t end = out.find('\0', i);
    const std::string rec = out.substr(i, end - i);
    const std::size_t tab = rec.find('\t');
    result[rec.substr(tab + 1)] = std::stoull(rec.substr(0, tab));
    i = end + 1;
  }
  return result;
}

// Folder totals of every folder below root from du, minus each folder's own size from find
// (both cope with paths longer than PATH_MAX).
std::map<std::string, unsigned long long> DuPerFolder(const std::string& root) {
  auto totals = NumberedPaths("du -0 --apparent-size -b -l -x " + ShellQuote(root));
  const auto own =
      NumberedPaths("find " + ShellQuote(root) + " -xdev -type d -printf '%s\\t%p\\0'");
  for (auto& [path, size] : totals) size -= own.at(path);
  return totals;
}

TEST(RealTreeScan, TotalsMatchDuAndFindOnAnAwkwardTree) {
  TTempDir tmp;
  const std::string root = tmp / "scan root";
  MakeDir(root);
  MakeDir(root + "/empty");
  MakeDir(root + "/docs");
  MakeFile(root + "/docs/zero.txt", 0);
  MakeFile(root + "/docs/report \"final\" 'v2'.DOCX", 4321);
  MakeFile(root + "/docs/\xe5\x86\x99\xe7\x9c\x9f.jpg", 777);   // 写真.jpg
  MakeDir(root + "/\xd0\x92\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe");  // Видео
  MakeFile(root + "/\xd0\x92\xd0\xb8\xd0\xb4\xd0\xb5\xd0\xbe/clip.mp4", 99999);
  MakeFile(root + "/bad\xff\xfename.bin", 12);  // not UTF-8
  MakeFile(root + "/line\nbreak.txt", 3);
  MakeFile(root + "/sparse.iso", 5ULL << 30);  // above 4 GiB
  ASSERT_EQ(::link((root + "/docs/zero.txt").c_str(), (root + "/hard1").c_str()), 0);
  ASSERT_EQ(::link((root + "/sparse.iso").c_str(), (root + "/docs/hard2.iso").c_str()), 0);
  ASSERT_EQ(::symlink("loop", (root + "/loop").c_str()), 0);
  ASSERT_EQ(::symlink("..", (root + "/docs/up").c_str()), 0);
  ASSERT_EQ(::symlink("/usr", (root + "/to usr").c_str()), 0);
  ASSERT_TRUE(MakeNestedChain(root, "n", 3000, 1));

  TRealScan scan;
  scan.Run(root);
  const TDiskTruth truth = MeasureWithDuAndFind(root);
  EXPECT_EQ(scan.Root().Size, truth.Size);
  EXPECT_EQ(scan.Root().FileCount + scan.Root().FolderCount, truth.Entries);
  EXPECT_EQ(scan.Root().Name(), "scan root");
  EXPECT_EQ(scan.Bridge.Posted, (std::vector<std::uint32_t>{WM_SCAN_FINISHED}));

  // Every folder's own total, not just the root's.
  const auto du = DuPerFolder(root);
  ASSERT_EQ(du.size(), scan.Tree.Count());
  for (TNodeId id = 0; id < scan.Tree.Count(); ++id) {
    const TFolderData& d = scan.Tree.Data(id);
    const auto it = du.find(d.Path.Str());
    ASSERT_NE(it, du.end()) << d.Path.Str();
    EXPECT_EQ(d.Size, it->second) << d.Path.Str();
    EXPECT_TRUE(d.Complete);
  }

  // The two hard links of the 5 GiB file count twice and lead the biggest files.
  ASSERT_EQ(scan.Biggest.Count(), 20u);
  EXPECT_EQ(scan.Biggest[19].Size, 5ULL << 30);
  EXPECT_EQ(scan.Biggest[18].Size, 5ULL << 30);
  EXPECT_EQ(scan.Biggest[19].Name, "sparse.iso");  // found first at the root

  // One file record per non-folder entry, filed under its own folder, with its own size.
  const auto files =
      NumberedPaths("find " + ShellQuote(root) + " -xdev ! -type d -printf '%s\\t%p\\0'");
  ASSERT_EQ(scan.Records.Count(), files.size());
  std::size_t chained = 0;
  const TFolderFileIndex index(scan.Records, scan.Tree.Count());
  for (TNodeId folder = 0; folder < scan.Tree.Count(); ++folder) {
    const std::string dir = scan.Tree.Data(folder).Path.Str();
    for (const TFileId f : index.FilesOf(folder)) {
      ++chained;
      EXPECT_EQ(scan.Records.Record(f).Folder, folder);
      const std::string path = dir + "/" + std::string(scan.Records.Name(f));
      const auto it = files.find(path);
      ASSERT_NE(it, files.end()) << path;
      EXPECT_EQ(scan.Records.Record(f).Size, it->second) << path;
      const bool typed = path.ends_with(".DOCX") || path.ends_with(".jpg") ||
                         path.ends_with(".mp4") || path.ends_with(".txt") || path.ends_with(".iso");
      EXPECT_EQ(scan.Records.Group(f) != TFileRecordStore::NoGroup, typed) << path;
    }
  }
  EXPECT_EQ(chained, files.size());
}

TEST(RealTreeScan, TenThousandNestedFoldersNeitherCrashNorRunOutOfDescriptors) {
  TTempDir tmp;
  ASSERT_TRUE(MakeNestedChain(tmp.Path(), "deep", 10000, 3));
  TRealScan scan;
  scan.Run(tmp.Path());
  const TDiskTruth truth = MeasureWithDuAndFind(tmp.Path());
  EXPECT_EQ(scan.Root().FolderCount, 10000u);
  EXPECT_EQ(scan.Root().FileCount, 10000u);
  EXPECT_EQ(scan.Root().Size, truth.Size);
  EXPECT_EQ(scan.Tree.Count(), 10001u);
}

TEST(RealTreeScan, FolderScanOfSlashRootGivesChildPathsWithoutDoubledSeparators) {
  TTempDir tmp;
  MakeDir(tmp / "sub");
  MakeFile(tmp / "sub/a.txt", 5);
  TRealScan scan;
  scan.Run(tmp.Path() + "/");
  EXPECT_EQ(scan.Root().Name(), "");
  EXPECT_EQ(scan.Tree.Data(scan.Tree.FirstChild(scan.Tree.FirstChild(NoNode))).Path,
            tmp.Path() + "/sub");
  ASSERT_EQ(scan.Typed.Count(), 1u);
  EXPECT_EQ(scan.Tree.Data(scan.Records.Record(scan.Typed.At(scan.Records, 0).File).Folder).Path,
            tmp.Path() + "/sub");
}

TEST(RealTreeScan, VirtualFileSystemIsNeverEntered) {
  TRealScan scan;
  scan.Run("/proc", false);
  EXPECT_EQ(scan.Root().FolderCount + scan.Root().FileCount, 0u);
  EXPECT_TRUE(scan.Root().Complete);
}

TEST(RealTreeScan, DriveScanStaysOnTheRootFileSystemAndFolderScanDoesNot) {
  TTempDir tmp;
  MakeDir(tmp / "mnt");
  MakeFile(tmp / "outside.bin", 100);
  int status = 0;
  RunCommand("mount -t tmpfs -o size=1m vlmtest " + ShellQuote(tmp / "mnt") + " 2>/dev/null",
             &status);
  if (status != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  MakeFile(tmp / "mnt/inside.bin", 5000);
  TRealScan drive;
  drive.Run(tmp.Path(), true);
  TRealScan folder;
  folder.Run(tmp.Path(), false);
  const TDiskTruth truth = MeasureWithDuAndFind(tmp.Path());
  const unsigned long long mountRootSize =
      std::stoull(RunCommand("stat -c %s " + ShellQuote(tmp / "mnt")));
  RunCommand("umount " + ShellQuote(tmp / "mnt"));

  // The mount point is a folder of the root file system's listing, but is not walked.
  EXPECT_EQ(drive.Root().FileCount + drive.Root().FolderCount, truth.Entries);
  EXPECT_EQ(drive.Root().Size, truth.Size);
  EXPECT_EQ(drive.Root().FileCount, 1u);
  EXPECT_EQ(folder.Root().FileCount, 2u);
  // A folder scan walks into the other volume, its root folder's own size included.
  EXPECT_EQ(folder.Root().Size - drive.Root().Size, 5000u + mountRootSize);
}

}  // namespace
}  // namespace Vellumetric
