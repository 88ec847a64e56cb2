#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/TSharedText.h"

namespace Vellumetric {
namespace {

TEST(TSharedText, CopiesShareOneTextThatOutlivesTheOriginal) {
  std::vector<TSharedText> copies;
  {
    TSharedText original(std::string("/home/user/\xff\xfe bad utf8/\0inside", 32));
    for (int i = 0; i < 1000; ++i) copies.push_back(original);
    EXPECT_EQ(copies.front().View().data(), original.View().data());
  }
  EXPECT_EQ(copies.back().Length(), 32u);
  EXPECT_EQ(copies.back().View(), std::string_view("/home/user/\xff\xfe bad utf8/\0inside", 32));
}

TEST(TSharedText, MoveAssignAndEmpty) {
  TSharedText a("abc");
  TSharedText b;
  EXPECT_TRUE(b.Empty());
  b = std::move(a);
  EXPECT_EQ(b, "abc");
  b = b;  // self-assignment keeps the text
  EXPECT_EQ(b.Str(), "abc");
  TSharedText c(b);
  c = TSharedText("");
  EXPECT_TRUE(c.Empty());
  EXPECT_EQ(b, "abc");
}

}  // namespace
}  // namespace Vellumetric
