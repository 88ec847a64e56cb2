#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Numbered.h"
#include "model/TBiggestFileList.h"

namespace Vellumetric {
namespace {

using Testing::Numbered;

TFileTypeData File(const std::string& name, std::uint64_t size) {
  TFileTypeData f;
  f.Name = name;
  f.Size = size;
  return f;
}

// Names read from the end of the list, as the "20 Biggest Files" section shows them.
std::vector<std::string> ShownOrder(const TBiggestFileList& list) {
  std::vector<std::string> names;
  for (std::size_t i = list.Count(); i-- > 0;) names.push_back(list[i].Name);
  return names;
}

TEST(TBiggestFileList, KeepsTwentyLargestAscending) {
  TBiggestFileList list;
  for (int i = 0; i < 50; ++i) list.Offer(File(Numbered("f", i), (i * 37) % 50));
  ASSERT_EQ(list.Count(), 20u);
  for (std::size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list[i].Size, 30u + i);
}

TEST(TBiggestFileList, EqualSizesKeepTheEarlierFileAndShowItFirst) {
  TBiggestFileList list;
  for (int i = 0; i < 19; ++i) list.Offer(File(Numbered("big", i), 1000 + i));
  list.Offer(File("first", 5));
  list.Offer(File("second", 5));  // list full, not larger than the smallest: dropped
  EXPECT_EQ(list[0].Name, "first");

  TBiggestFileList ties;
  ties.Offer(File("a", 7));
  ties.Offer(File("b", 7));
  ties.Offer(File("c", 9));
  ties.Offer(File("d", 7));
  EXPECT_EQ(ShownOrder(ties), (std::vector<std::string>{"c", "a", "b", "d"}));
}

TEST(TBiggestFileList, ZeroSizeAndHugeFilesCompareAsUnsigned64) {
  TBiggestFileList list;
  list.Offer(File("empty", 0));
  list.Offer(File("huge", 5ULL << 32));
  list.Offer(File("max", UINT64_MAX));
  EXPECT_EQ(ShownOrder(list), (std::vector<std::string>{"max", "huge", "empty"}));
}

// An independent truth: a stable sort by descending size over everything offered, top 20.
TEST(TBiggestFileList, MatchesAStableTopTwentyOnRandomInput) {
  std::mt19937_64 rng(42);
  for (int round = 0; round < 200; ++round) {
    TBiggestFileList list;
    std::vector<TFileTypeData> all;
    const int n = static_cast<int>(rng() % 80);
    for (int i = 0; i < n; ++i) {
      all.push_back(File(std::to_string(i), rng() % 12));  // many ties on purpose
      list.Offer(all.back());
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.Size > b.Size; });
    if (all.size() > 20) all.resize(20);
    std::vector<std::string> expected;
    for (const auto& f : all) expected.push_back(f.Name);
    ASSERT_EQ(ShownOrder(list), expected) << "round " << round;
    // Accepts() must say exactly whether an offer would change the list.
    const std::uint64_t probe = rng() % 12;
    TBiggestFileList copy = list;
    copy.Offer(File("probe", probe));
    EXPECT_EQ(list.Accepts(probe), ShownOrder(copy) != ShownOrder(list)) << "size " << probe;
  }
}

}  // namespace
}  // namespace Vellumetric
