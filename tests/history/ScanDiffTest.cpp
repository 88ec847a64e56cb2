// The comparison rules on hand-made snapshots: where a change is attributed, what counts as new
// or gone, and how the lists are cut.
#include <gtest/gtest.h>

#include <map>

#include "history/TScanDiff.h"

namespace Vellumetric {
namespace {

// Folders given as path -> size; parents must be listed before their children. Each size is
// the folder's total, as a scan reports it.
TScanSnapshot Snap(const std::vector<std::pair<std::string, std::uint64_t>>& folders) {
  TScanSnapshot s;
  s.Root = "/r";
  std::map<std::string, std::uint32_t> index;
  for (const auto& [path, size] : folders) {
    const auto slash = path.rfind('/');
    const std::uint32_t parent = path == "/r" ? NoNode : index.at(path.substr(0, slash));
    index[path] = static_cast<std::uint32_t>(s.Folders.size());
    s.AddFolder(parent, path == "/r" ? "" : path.substr(slash + 1), size, 0, 0);
  }
  s.Size = s.Folders[0].Size;
  return s;
}

std::vector<std::pair<std::string, std::int64_t>> Listed(const std::vector<TFolderChange>& list) {
  std::vector<std::pair<std::string, std::int64_t>> out;
  for (const TFolderChange& c : list) out.emplace_back(c.Path, c.Change());
  return out;
}

using TListed = std::vector<std::pair<std::string, std::int64_t>>;

TEST(ScanDiff, ChangesAreAttributedWhereNoSingleSubfolderExplainsThem) {
  // a/b/c got 1000 bytes (its ancestors only pass it on); d got 100 of its own plus 100 in each
  // of two subfolders, so no single subfolder explains d; e/f lost 500, e itself 10.
  const TScanSnapshot before = Snap({{"/r", 10000},
                                     {"/r/a", 3000},
                                     {"/r/a/b", 2000},
                                     {"/r/a/b/c", 1000},
                                     {"/r/d", 1000},
                                     {"/r/d/x", 100},
                                     {"/r/d/y", 100},
                                     {"/r/e", 2000},
                                     {"/r/e/f", 1500}});
  const TScanSnapshot after = Snap({{"/r", 10790},
                                    {"/r/a", 4000},
                                    {"/r/a/b", 3000},
                                    {"/r/a/b/c", 2000},
                                    {"/r/d", 1300},
                                    {"/r/d/x", 200},
                                    {"/r/d/y", 200},
                                    {"/r/e", 1490},
                                    {"/r/e/f", 1000}});
  const TScanDiff diff = DiffScans(before, after, 20, TPathStyle::Posix);
  EXPECT_EQ(diff.TotalChange, 790);
  EXPECT_EQ(Listed(diff.Growth),
            (TListed{{"/r/a/b/c", 1000}, {"/r/d", 300}, {"/r/d/x", 100}, {"/r/d/y", 100}}));
  EXPECT_EQ(Listed(diff.Shrink), (TListed{{"/r/e/f", -500}}));
  EXPECT_TRUE(diff.Added.empty());
  EXPECT_TRUE(diff.Removed.empty());
}

TEST(ScanDiff, RenamesAndDeletionsShowAsGoneAndNewSubtreesAndListsAreCut) {
  const TScanSnapshot before = Snap({{"/r", 5000},
                                     {"/r/old", 3000},
                                     {"/r/old/deep", 2900},
                                     {"/r/keep", 1000},
                                     {"/r/keep/tmp", 900}});
  const TScanSnapshot after = Snap({{"/r", 4100},
                                    {"/r/new", 3000},
                                    {"/r/new/deep", 2900},
                                    {"/r/keep", 100},
                                    {"/r/keep/n1", 10},
                                    {"/r/keep/n2", 20},
                                    {"/r/keep/n3", 30}});
  const TScanDiff diff = DiffScans(before, after, 2, TPathStyle::Posix);
  EXPECT_EQ(diff.TotalChange, -900);
  // A renamed folder's bytes show where they sit ("deep"), on both sides; "new" and "old" only
  // pass them on, and "keep" is explained by its gone "tmp".
  EXPECT_EQ(Listed(diff.Growth), (TListed{{"/r/new/deep", 2900}, {"/r/keep/n3", 30}}));
  EXPECT_EQ(diff.GrowthCount, 4u);  // also n2, n1
  EXPECT_EQ(Listed(diff.Shrink), (TListed{{"/r/old/deep", -2900}, {"/r/keep/tmp", -900}}));
  EXPECT_EQ(diff.ShrinkCount, 2u);
  ASSERT_EQ(diff.AddedCount, 4u);  // only the tops of new subtrees: new, n1, n2, n3
  EXPECT_EQ(diff.Added[0].Path, "/r/new");
  EXPECT_EQ(diff.Added[0].After, 3000u);
  EXPECT_EQ(diff.Added[1].Path, "/r/keep/n3");
  ASSERT_EQ(diff.RemovedCount, 2u);
  EXPECT_EQ(Listed(diff.Removed), (TListed{{"/r/old", -3000}, {"/r/keep/tmp", -900}}));
  // Each listed folder leads back to its folder of the newer scan (a gone one to none), and each
  // folder of the newer scan to its counterpart in the older one.
  for (const auto* list : {&diff.Growth, &diff.Added}) {
    for (const TFolderChange& c : *list) {
      ASSERT_LT(c.AfterIndex, after.Folders.size());
      EXPECT_EQ("/" + std::string(after.Name(c.AfterIndex)), c.Path.substr(c.Path.rfind('/')));
      EXPECT_EQ(after.Folders[c.AfterIndex].Size, c.After);
    }
  }
  EXPECT_EQ(diff.Removed[0].AfterIndex, NoNode);
  EXPECT_EQ(diff.BeforeIndex,
            (std::vector<std::uint32_t>{0, NoNode, NoNode, 3, NoNode, NoNode, NoNode}));
}

}  // namespace
}  // namespace Vellumetric
