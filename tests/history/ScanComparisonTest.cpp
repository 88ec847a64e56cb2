// Which stored scans a comparison uses: the CLI's two newest, and the window's earlier scans of a
// scan that is about to be stored (and pruned with it) or already is.
#include <gtest/gtest.h>

#include "TTempDir.h"
#include "history/ScanComparison.h"

namespace Vellumetric {
namespace {

using Testing::TTempDir;

// A root with one subfolder whose size stands for the scan.
TScanSnapshot Scan(const std::string& root, std::uint64_t size) {
  TScanSnapshot s;
  s.Root = root;
  s.Size = size + 10;
  s.AddFolder(NoNode, "", size + 10, 1, 1);
  s.AddFolder(0, "sub", size, 1, 0);
  return s;
}

std::vector<std::uint64_t> Sizes(const std::vector<TScanSnapshot>& scans) {
  std::vector<std::uint64_t> out;
  for (const TScanSnapshot& s : scans) out.push_back(s.Size);
  return out;
}

TEST(ScanComparison, EarlierScansAreTheOnesKeptAfterTheNextStoreAndNeverTheScanItself) {
  TTempDir tmp;
  THistoryDatabase db(tmp / "history.sqlite");
  int removed = 0;
  ASSERT_TRUE(db.SetKeep(3, removed));
  for (std::uint64_t size : {100, 200, 300}) ASSERT_TRUE(db.Store(Scan("/r", size)));
  ASSERT_TRUE(db.Store(Scan("/other", 5)));

  // Not stored yet: its store will drop the oldest of /r, so only two are offered.
  TScanSnapshot current = Scan("/r", 1000);
  std::vector<TScanSnapshot> earlier;
  std::string error;
  ASSERT_TRUE(ListEarlierScans(db, current, earlier, error)) << error;
  EXPECT_EQ(Sizes(earlier), (std::vector<std::uint64_t>{310, 210}));
  EXPECT_TRUE(earlier[0].Folders.empty());  // a listing, not the folders

  ASSERT_TRUE(db.Store(current));
  std::vector<TScanSnapshot> kept;
  ASSERT_TRUE(db.ListScans("/r", kept));
  ASSERT_EQ(Sizes(kept), (std::vector<std::uint64_t>{1010, 310, 210}));
  current.Id = kept[0].Id;
  ASSERT_TRUE(ListEarlierScans(db, current, earlier, error));
  EXPECT_EQ(Sizes(earlier), (std::vector<std::uint64_t>{310, 210}));

  // The CLI's pair: the two newest of the root, older first; or two ids of one root.
  TScanSnapshot from;
  TScanSnapshot to;
  ASSERT_TRUE(LoadScansToCompare(db, "/r", 0, 0, from, to, error)) << error;
  EXPECT_EQ(from.Size, 310u);
  EXPECT_EQ(to.Size, 1010u);
  ASSERT_EQ(to.Folders.size(), 2u);
  EXPECT_FALSE(LoadScansToCompare(db, "/other", 0, 0, from, to, error));
  EXPECT_NE(error.find("holds 1 scan of /other"), std::string::npos) << error;
  std::vector<TScanSnapshot> other;
  ASSERT_TRUE(db.ListScans("/other", other));
  EXPECT_FALSE(LoadScansToCompare(db, "", other[0].Id, kept[0].Id, from, to, error));
  EXPECT_NE(error.find("different folders"), std::string::npos) << error;

  // The window's comparison of the scan in memory with a stored one is the CLI's diff.
  TScanDiff diff;
  ASSERT_TRUE(
      CompareWithStoredScan(db, kept[2].Id, current, 20, TPathStyle::Posix, from, diff, error));
  EXPECT_EQ(from.Id, kept[2].Id);
  EXPECT_EQ(diff.TotalChange, 800);
  ASSERT_EQ(diff.Growth.size(), 1u);
  EXPECT_EQ(diff.Growth[0].Path, "/r/sub");
  EXPECT_FALSE(
      CompareWithStoredScan(db, other[0].Id, current, 20, TPathStyle::Posix, from, diff, error));
}

}  // namespace
}  // namespace Vellumetric
