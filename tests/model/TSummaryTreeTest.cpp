#include <gtest/gtest.h>

#include <string>

#include "model/TSummaryTree.h"

namespace Vellumetric {
namespace {

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
    Records.Add(Docs, "a.pdf", 10, 5);
    Records.Add(Docs, "b.pdf", 20, 5);
    Records.Add(Odd, "c.pdf", 30, 5);
  }
};

TEST(TSummaryTree, FileNodesReadTheirRecordsAndOwnNodesTheirText) {
  TSource src;
  TSummaryTree tree;
  tree.SetFileSource(&src.Records, &src.Folders);
  const TNodeId group = tree.AddNode(NoNode, "Document Files");
  const TNodeId a = tree.AddFile(group, 0, 10, 1, 111);
  const TNodeId c = tree.AddFile(group, 2, 30, 1, 333);
  const TNodeId own = tree.AddNode(group, "loaded.pdf", TPathText("/saved"), 7, 1, 9);
  tree.SetFolderLocation(src.Odd, TPathText("home/odd"));  // shown otherwise than its path

  EXPECT_EQ(tree.Name(a), "a.pdf");
  EXPECT_EQ(tree.Location(a), "/home/docs");
  EXPECT_EQ(tree.File(a), 0u);
  EXPECT_EQ(tree.Data(a).LastAccess, 111u);
  EXPECT_EQ(tree.Location(c), "home/odd");
  EXPECT_EQ(tree.Name(own), "loaded.pdf");
  EXPECT_EQ(tree.Location(own), "/saved");
  EXPECT_EQ(tree.File(own), NoFile);
  EXPECT_EQ(tree.Name(group), "Document Files");
  EXPECT_EQ(tree.Location(group), "");

  // Renaming keeps the rest; a renamed file node holds its own text from then on.
  tree.SetName(group, "Document Files (2)");
  tree.SetName(a, "renamed.pdf");
  EXPECT_EQ(tree.Name(group), "Document Files (2)");
  EXPECT_EQ(tree.Name(a), "renamed.pdf");
  EXPECT_EQ(tree.Location(a), "/home/docs");
  EXPECT_EQ(tree.Name(tree.AddFile(group, 1, 20, 1, 0)), "b.pdf");  // the record is unchanged

  // Sorting relinks nodes and keeps what each one refers to.
  tree.SortAllByKey([](const TSummaryNodeData& d) { return d.Size; }, true);
  EXPECT_EQ(tree.Name(tree.FirstChild(group)), "c.pdf");

  tree.Clear();
  EXPECT_TRUE(tree.Empty());
  const TNodeId fresh = tree.AddFile(NoNode, 2, 30, 1, 0);
  EXPECT_EQ(tree.Location(fresh), "/home/odd");  // the folder's shown text went with Clear
}

TEST(TSummaryTree, WithoutASourceAFileNodeCopiesNothingItCannotRead) {
  TSummaryTree tree;
  const TNodeId n = tree.AddFile(NoNode, 0, 5, 1, 0);
  EXPECT_EQ(tree.Name(n), "");
  EXPECT_EQ(tree.Location(n), "");
  EXPECT_EQ(tree.Data(n).Size, 5u);
}

}  // namespace
}  // namespace Vellumetric
