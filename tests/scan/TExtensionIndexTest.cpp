#include <gtest/gtest.h>

#include <random>
#include <string>

#include "filetypes/DefaultFileTypes.h"
#include "scan/TExtensionIndex.h"
#include "system/PathRules.h"

namespace Vellumetric {
namespace {

// The rule as written: walk the list from the start, the first equal entry decides.
bool LinearFind(const TFileExtList& list, std::string_view ext, std::int32_t& group) {
  for (const auto& e : list) {
    if (EqualsIgnoreAsciiCase(e.Ext, ext)) {
      group = e.DescID;
      return true;
    }
  }
  return false;
}

TEST(TExtensionIndex, DefaultListClassifiesLikeTheWrittenRule) {
  const TFileExtList list = DefaultExtensionList();
  ASSERT_EQ(list.size(), 91u);
  const TExtensionIndex index(list);
  std::int32_t group = -1;
  ASSERT_TRUE(index.Find(".JPG", group));
  EXPECT_EQ(group, 0);  // Raster Image Files
  ASSERT_TRUE(index.Find(".Docx", group));
  EXPECT_EQ(group, 5);
  EXPECT_FALSE(index.Find("", group));
  ASSERT_TRUE(index.Find(".mp4", group));
  std::int32_t linear = -1;
  ASSERT_TRUE(LinearFind(list, ".mp4", linear));
  EXPECT_EQ(group, linear);  // whichever ".mp4" comes first in the list
}

TEST(TExtensionIndex, AgreesWithTheLinearWalkOnRandomListsAndNames) {
  std::mt19937 rng(7);
  const std::string alphabet = "aAbB.\xc3\x84\xc3\xa4zZ";
  auto randomText = [&](int maxLen) {
    std::string s = ".";
    const int len = static_cast<int>(rng() % static_cast<unsigned>(maxLen));
    for (int i = 0; i < len; ++i) s.push_back(alphabet[rng() % alphabet.size()]);
    return s;
  };
  for (int round = 0; round < 100; ++round) {
    TFileExtList list;
    const int n = static_cast<int>(rng() % 30);
    for (int i = 0; i < n; ++i) {
      list.push_back(
          {rng() % 10 == 0 ? std::string() : randomText(4), static_cast<int>(rng() % 5)});
    }
    const TExtensionIndex index(list);
    for (int probe = 0; probe < 200; ++probe) {
      const std::string ext = rng() % 20 == 0 ? std::string() : randomText(5);
      std::int32_t a = -1, b = -1;
      const bool fa = index.Find(ext, a);
      const bool fb = LinearFind(list, ext, b);
      ASSERT_EQ(fa, fb) << ext;
      if (fa) {
        ASSERT_EQ(a, b) << ext;
      }
    }
  }
}

// Past the length folded on the stack, an extension is still folded and found.
TEST(TExtensionIndex, LongExtensionsFoldLikeShortOnes) {
  const TFileExtList list{{"." + std::string(90, 'q') + "Z", 3}, {".Q", 1}};
  const TExtensionIndex index(list);
  std::int32_t group = -1;
  EXPECT_TRUE(index.Find("." + std::string(90, 'Q') + "z", group));
  EXPECT_EQ(group, 3);
  EXPECT_FALSE(index.Find("." + std::string(91, 'q'), group));
  EXPECT_TRUE(index.Find(".q", group));
  EXPECT_EQ(group, 1);
}

}  // namespace
}  // namespace Vellumetric
