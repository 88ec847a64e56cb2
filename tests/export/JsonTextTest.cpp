#include <gtest/gtest.h>

#include <string>

#include "export/JsonText.h"

namespace Vellumetric {
namespace {

std::string Json(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

TEST(JsonText, EscapesQuotesBackslashesAndControls) {
  EXPECT_EQ(Json("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(Json(std::string("nl\n\t\x01\0", 6)), "\"nl\\u000a\\u0009\\u0001\\u0000\"");
}

TEST(JsonText, KeepsValidUtf8AndReplacesEveryBadByte) {
  EXPECT_EQ(Json("\xe5\x86\x99\xf0\x9f\x93\x81"), "\"\xe5\x86\x99\xf0\x9f\x93\x81\"");
  const std::string fffd = "\xef\xbf\xbd";
  EXPECT_EQ(Json("a\xff"
                 "b"),
            "\"a" + fffd + "b\"");
  EXPECT_EQ(Json("\xc0\xaf"), "\"" + fffd + fffd + "\"");                        // overlong '/'
  EXPECT_EQ(Json("\xed\xa0\x80"), "\"" + fffd + fffd + fffd + "\"");             // UTF-16 surrogate
  EXPECT_EQ(Json("\xe5\x86"), "\"" + fffd + fffd + "\"");                        // cut short
  EXPECT_EQ(Json("\xf4\x90\x80\x80"), "\"" + fffd + fffd + fffd + fffd + "\"");  // > U+10FFFF
}

}  // namespace
}  // namespace Vellumetric
