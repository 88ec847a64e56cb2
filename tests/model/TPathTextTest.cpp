#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/TPathText.h"

namespace Vellumetric {
namespace {

TEST(TPathText, ChildrenSpellOutTheJoinedPathAndCompareWithoutBuildingIt) {
  const TPathText root("D:\\");
  const TPathText data = TPathText::Child(root, "\\", "Data");
  const TPathText deeper = TPathText::Child(data, "\\", "\xe5\x86\x99\xe7\x9c\x9f");
  EXPECT_EQ(data.Str(), "D:\\\\Data");
  EXPECT_EQ(deeper.Str(), "D:\\\\Data\\\xe5\x86\x99\xe7\x9c\x9f");
  EXPECT_EQ(deeper.Length(), deeper.Str().size());
  EXPECT_TRUE(deeper == "D:\\\\Data\\\xe5\x86\x99\xe7\x9c\x9f");
  EXPECT_FALSE(deeper == "D:\\\\Dat\\a\xe5\x86\x99\xe7\x9c\x9f");  // same length, other split
  EXPECT_FALSE(deeper == "D:\\\\Data");
  EXPECT_TRUE(deeper == TPathText("D:\\\\Data\\\xe5\x86\x99\xe7\x9c\x9f"));
  EXPECT_EQ(TPathText::Child(TPathText("/"), "", "usr").Str(), "/usr");
  EXPECT_EQ(TPathText::Child(TPathText("/"), "", "").Back(), '/');  // an empty suffix is skipped
}

TEST(TPathText, SharedCopiesOutliveTheFolderThatMadeThem) {
  std::vector<TPathText> files;
  {
    TPathText parent("/home/ann");
    TPathText folder = TPathText::Child(parent, "/", std::string("bad\xff\0name", 9));
    for (int i = 0; i < 100; ++i) files.push_back(folder);
  }
  EXPECT_EQ(files.back().Str(), std::string("/home/ann/bad\xff\0name", 19));
  TPathText moved = std::move(files.front());
  EXPECT_EQ(moved, files.back());
  moved = files[1];
  moved = TPathText();
  EXPECT_TRUE(moved.Empty());
  EXPECT_EQ(moved.Back(), '\0');
}

TEST(TPathText, DroppingAVeryDeepChainDoesNotRecurse) {
  TPathText path("/");
  for (int i = 0; i < 200000; ++i) path = TPathText::Child(path, "/", "d");
  EXPECT_EQ(path.Length(), 1u + 200000u * 2u);
  path = TPathText();  // would overflow the stack if each level released its parent recursively
}

}  // namespace
}  // namespace Vellumetric
