#include <gtest/gtest.h>

#include <string>

#include "model/TSummaryTree.h"

namespace Vellumetric {
namespace {

constexpr std::uint64_t Time1970 = 116444736000000000;  // raw file time of 1970-01-01
constexpr std::uint64_t TimeA = 133000000001234567;     // 2022, with 123.4567 ms
constexpr std::uint64_t TimeC = 133000000030000000;

// A scan's worth of source: two folders, three file records.
struct TSource {
  TFolderTree Folders;
  TFileRecordStore Records;
  TNodeId Docs = NoNode;
  TNodeId Odd = NoNode;

  TSource() {
    TFolderData root;
    root.Path = TPathText("/home");
    const TNodeId home = Folders.AddChild(NoNode, root);
    TFolderData docs;
    docs.Path = TPathText::Child(Folders.Data(home).Path, "/", "docs");
    Docs = Folders.AddChild(home, docs);
    TFolderData odd;
    odd.Path = TPathText::Child(Folders.Data(home).Path, "/", "odd");
    Odd = Folders.AddChild(home, odd);
    Records.Add(Docs, "a.pdf", 10, 5, TimeA);
    Records.Add(Docs, "b.pdf", 20, 5);
    Records.Add(Odd, "c.pdf", 30, 5, TimeC);
  }
};

TEST(TSummaryTree, FileNodesReadTheirRecordsAndOwnNodesTheirText) {
  TSource src;
  TSummaryTree tree;
  tree.SetFileSource(&src.Records, &src.Folders);
  const TNodeId group = tree.AddNode(NoNode, "Document Files");
  const TNodeId a = tree.AddFile(group, 0, 10, 1, TimeA);
  const TNodeId c = tree.AddFile(group, 2, 30, 1, TimeC);
  const TNodeId own = tree.AddNode(group, "loaded.pdf", TPathText("/saved"), 7, 1, 9);
  tree.SetFolderLocation(src.Odd, TPathText("home/odd"));  // shown otherwise than its path

  EXPECT_EQ(tree.Name(a), "a.pdf");
  EXPECT_EQ(tree.Location(a), "/home/docs");
  EXPECT_EQ(tree.File(a), 0u);
  EXPECT_EQ(tree.Size(a), 10u);
  EXPECT_EQ(tree.LastAccess(a), TimeA);
  EXPECT_EQ(tree.ImageIndex(a), 1);
  EXPECT_EQ(tree.Location(c), "home/odd");
  EXPECT_EQ(tree.Name(own), "loaded.pdf");
  EXPECT_EQ(tree.Location(own), "/saved");
  EXPECT_EQ(tree.File(own), NoFile);
  EXPECT_EQ(tree.LastAccess(own), 9u);
  EXPECT_EQ(tree.Name(group), "Document Files");
  EXPECT_EQ(tree.Location(group), "");

  // Changing a node keeps the rest; a changed file node holds its own entry from then on.
  tree.SetName(group, "Document Files (2)");
  tree.SetSize(group, 47);
  tree.SetName(a, "renamed.pdf");
  tree.SetSize(c, 3);
  EXPECT_EQ(tree.Name(group), "Document Files (2)");
  EXPECT_EQ(tree.Size(group), 47u);
  EXPECT_EQ(tree.ImageIndex(group), 0);
  EXPECT_EQ(tree.Name(a), "renamed.pdf");
  EXPECT_EQ(tree.Location(a), "/home/docs");
  EXPECT_EQ(tree.LastAccess(a), TimeA);
  EXPECT_EQ(tree.Size(a), 10u);
  EXPECT_EQ(tree.ImageIndex(a), 1);
  EXPECT_EQ(tree.Name(c), "c.pdf");
  EXPECT_EQ(tree.Location(c), "home/odd");
  EXPECT_EQ(tree.LastAccess(c), TimeC);
  EXPECT_EQ(src.Records.Record(2).Size, 30u);  // the record is unchanged
  EXPECT_EQ(tree.Name(tree.AddFile(group, 1, 20, 1, 0)), "b.pdf");

  // Sorting relinks nodes and keeps what each one refers to.
  tree.SortBySize(true);
  EXPECT_EQ(tree.Name(tree.FirstChild(group)), "b.pdf");
  EXPECT_EQ(tree.Name(tree.NextSibling(tree.FirstChild(group))), "renamed.pdf");

  tree.Clear();
  EXPECT_TRUE(tree.Empty());
  const TNodeId fresh = tree.AddFile(NoNode, 2, 30, 1, TimeC);
  EXPECT_EQ(tree.Location(fresh), "/home/odd");  // the folder's shown text went with Clear
}

// Whatever AddFile is given reads back unchanged, whether the node can refer to its record (which
// keeps whole seconds from 1970 to 2106 and its own size) or has to copy the file.
TEST(TSummaryTree, AFileNodeGivesBackExactlyWhatItWasGiven) {
  TSource src;
  const std::uint64_t late = Time1970 + ((1ULL << 32) + 5) * 10000000 + 1;  // after 2106
  struct TCase {
    TFileId File;
    std::uint64_t Size;
    std::int32_t Image;
    std::uint64_t Time;
    bool Refers;
  };
  const TCase cases[] = {
      {0, 10, 1, TimeA, true},
      {1, 20, 1, 0, true},
      {1, 20, 1, Time1970, true},
      {0, 10, 1, TimeA + 1, true},  // the part below the second is the node's own
      {0, 10, 1, TimeA + 10000000, false},
      {1, 20, 1, 77, false},
      {1, 20, 1, late, false},
      {1, 20, 1, ~0ULL, false},
      {0, 11, 1, TimeA, false},
      {0, 10, 4, TimeA, false},
  };
  for (const TCase& k : cases) {
    src.Records.Clear();
    src.Records.Add(src.Docs, "a.pdf", 10, 5, TimeA);
    src.Records.Add(src.Docs, "b.pdf", 20, 5, k.Time);
    TSummaryTree tree;
    tree.SetFileSource(&src.Records, &src.Folders);
    const TNodeId n = tree.AddFile(NoNode, k.File, k.Size, k.Image, k.Time);
    EXPECT_EQ(tree.Size(n), k.Size) << k.Time;
    EXPECT_EQ(tree.LastAccess(n), k.Time) << k.Time;
    EXPECT_EQ(tree.ImageIndex(n), k.Image) << k.Time;
    EXPECT_EQ(tree.Name(n), k.File == 0 ? "a.pdf" : "b.pdf") << k.Time;
    EXPECT_EQ(tree.Location(n), "/home/docs") << k.Time;
    EXPECT_EQ(tree.File(n) != NoFile, k.Refers) << k.Time;
  }
}

TEST(TSummaryTree, WithoutASourceAFileNodeCopiesNothingItCannotRead) {
  TSummaryTree tree;
  const TNodeId n = tree.AddFile(NoNode, 0, 5, 1, 0);
  EXPECT_EQ(tree.Name(n), "");
  EXPECT_EQ(tree.Location(n), "");
  EXPECT_EQ(tree.Size(n), 5u);
}

}  // namespace
}  // namespace Vellumetric
