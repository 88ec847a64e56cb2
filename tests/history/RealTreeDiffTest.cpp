// A real tree scanned, changed at several depths, and scanned again: the stored comparison must
// agree with du about every change.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>

#include "TScanHarness.h"
#include "TTempDir.h"
#include "TTreeBuilder.h"
#include "history/THistoryDatabase.h"
#include "history/TScanDiff.h"

namespace Vellumetric {
namespace {

using namespace Testing;

constexpr unsigned long long kMB = 1024 * 1024;

// Scans `root` and stores it; the stored scan's id.
std::int64_t ScanAndStore(THistoryDatabase& db, const std::string& root) {
  TScanHarness scan;
  scan.Run(root);
  std::vector<TNodeId> nodes;
  const TScanSnapshot snapshot = MakeScanSnapshot(scan.Tree, root, false, 0, 0, &nodes);
  // Each folder of the snapshot names its node of the scan's tree.
  EXPECT_EQ(nodes.size(), snapshot.Folders.size());
  for (std::size_t i = 0; i < nodes.size() && i < snapshot.Folders.size(); ++i) {
    EXPECT_EQ(scan.Tree.Data(nodes[i]).Size, snapshot.Folders[i].Size);
    if (i > 0) {
      EXPECT_EQ(scan.Tree.Data(nodes[i]).Name(), snapshot.Name(i));
    }
  }
  EXPECT_TRUE(db.Store(snapshot)) << db.Error();
  std::vector<TScanSnapshot> scans;
  EXPECT_TRUE(db.ListScans(NormalizeScanRoot(root), scans));
  return scans.empty() ? 0 : scans.front().Id;
}

// du's total below `path` (0 when it does not exist).
long long Du(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? static_cast<long long>(MeasureWithDuAndFind(path).Size)
                                         : 0;
}

std::map<std::string, std::int64_t> Significant(const std::vector<TFolderChange>& list,
                                                const std::string& root) {
  std::map<std::string, std::int64_t> out;
  for (const TFolderChange& c : list) {
    // Folder entries change size by a few bytes on some file systems: noise, not data.
    if (c.Change() > 64 * 1024 || c.Change() < -64 * 1024)
      out[c.Path.substr(root.size())] = c.Change();
  }
  return out;
}

TEST(HistoryRealTree, DiffOfTwoScansAgreesWithDuAtEveryChangedFolder) {
  TTempDir tmp;
  const std::string root = tmp / "tree";
  for (const char* dir :
       {"tree", "tree/a", "tree/a/b", "tree/a/b/c", "tree/d", "tree/e", "tree/s", "tree/s/t",
        "tree/gone", "tree/gone/inner", "tree/r", "tree/r/old", "tree/k"}) {
    ASSERT_EQ(::mkdir((tmp / dir).c_str(), 0755), 0);
  }
  MakeFile(root + "/a/b/c/grows.bin", 1 * kMB);
  MakeFile(root + "/a/other.txt", 10000);
  MakeFile(root + "/d/old.txt", 50000);
  MakeFile(root + "/s/t/shrinks.iso", 4 * kMB);
  MakeFile(root + "/gone/inner/blob", 3 * kMB / 2);
  MakeFile(root + "/gone/note.txt", 1000);
  MakeFile(root + "/r/old/payload", 1 * kMB);
  MakeFile(root + "/k/before.txt", 2000);

  THistoryDatabase db(tmp / "history.sqlite");
  const std::int64_t first = ScanAndStore(db, root);
  const std::vector<std::string> watched = {"/a/b/c",      "/d",     "/e/new/deeper", "/s/t",
                                            "/gone/inner", "/r/old", "/r/renamed"};
  std::map<std::string, long long> duBefore;
  for (const std::string& w : watched) duBefore[w] = Du(root + w);
  const long long totalBefore = Du(root);

  MakeFile(root + "/a/b/c/grows.bin", 6 * kMB);  // grown three levels down
  MakeFile(root + "/d/new.bin", 3 * kMB);        // a new file one level down
  ASSERT_EQ(::mkdir((root + "/e/new").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((root + "/e/new/deeper").c_str(), 0755), 0);
  MakeFile(root + "/e/new/deeper/blob", 2 * kMB);  // a new subtree
  MakeFile(root + "/s/t/shrinks.iso", 1 * kMB);    // shrunk
  RunCommand("rm -r " + ShellQuote(root + "/gone"));
  ASSERT_EQ(std::rename((root + "/r/old").c_str(), (root + "/r/renamed").c_str()), 0);
  ASSERT_EQ(std::rename((root + "/k/before.txt").c_str(), (root + "/k/after.txt").c_str()), 0);

  const std::int64_t second = ScanAndStore(db, root);
  TScanSnapshot from;
  TScanSnapshot to;
  ASSERT_TRUE(db.LoadScan(first, from));
  ASSERT_TRUE(db.LoadScan(second, to));
  const TScanDiff diff = DiffScans(from, to, 100, TPathStyle::Posix);

  EXPECT_EQ(diff.TotalChange, Du(root) - totalBefore);
  const auto change = [&](const std::string& w) { return Du(root + w) - duBefore[w]; };
  EXPECT_EQ(Significant(diff.Growth, to.Root),
            (std::map<std::string, std::int64_t>{{"/a/b/c", change("/a/b/c")},
                                                 {"/d", change("/d")},
                                                 {"/e/new/deeper", change("/e/new/deeper")},
                                                 {"/r/renamed", change("/r/renamed")}}));
  EXPECT_EQ(Significant(diff.Shrink, to.Root),
            (std::map<std::string, std::int64_t>{{"/gone/inner", change("/gone/inner")},
                                                 {"/r/old", change("/r/old")},
                                                 {"/s/t", change("/s/t")}}));
  std::vector<std::string> added;
  std::vector<std::string> removed;
  for (const TFolderChange& c : diff.Added) added.push_back(c.Path.substr(to.Root.size()));
  for (const TFolderChange& c : diff.Removed) removed.push_back(c.Path.substr(to.Root.size()));
  EXPECT_EQ(added, (std::vector<std::string>{"/e/new", "/r/renamed"}));
  EXPECT_EQ(removed, (std::vector<std::string>{"/gone", "/r/old"}));
}

TEST(HistoryRealTree, HistoryFilesAreReadableByTheirOwnerOnly) {
  TTempDir tmp;
  const mode_t saved = ::umask(022);  // a usual umask would let others read new files
  THistoryDatabase db(tmp / "history.sqlite");
  const std::int64_t id = ScanAndStore(db, tmp.Path());
  ::umask(saved);
  ASSERT_EQ(id, 1);
  for (const char* suffix : {"", "-wal", "-shm"}) {
    struct stat st {};
    ASSERT_EQ(::stat((tmp / "history.sqlite" + suffix).c_str(), &st), 0) << suffix;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << suffix;
  }
}

}  // namespace
}  // namespace Vellumetric
