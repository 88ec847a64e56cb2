#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "system/Formatting.h"
#include "system/TimeText.h"

namespace Vellumetric {
namespace {

TEST(FormatSize, ExampleTable) {
  EXPECT_EQ(FormatSize(0, 2), "    0.00 KB");
  EXPECT_EQ(FormatSize(1023, 2), "    1.00 KB");
  EXPECT_EQ(FormatSize(1536, 2), "    1.50 KB");
  EXPECT_EQ(FormatSize(1536, 1), "     1.5 KB");
  EXPECT_EQ(FormatSize(1048575, 2), " 1024.00 KB");
  EXPECT_EQ(FormatSize(1048576, 2), "    1.00 MB");
  EXPECT_EQ(FormatSize((1ULL << 30) - 1, 2), "    1.00 GB");
  EXPECT_EQ(FormatSize(5ULL << 30, 2), "    5.00 GB");
}

TEST(FormatSize, SinglePrecisionRoundingDecidesTheUnit) {
  // 2^20 - 1 is exactly representable in a float and stays below 1 MB ...
  EXPECT_EQ(FormatSize((1ULL << 20) - 1, 1), "  1024.0 KB");
  // ... while 2^30 - 2^5 rounds up to 1.0 in single precision and already counts as a GB.
  EXPECT_EQ(FormatSize((1ULL << 30) - 32, 1), "     1.0 GB");
  EXPECT_EQ(FormatSize((1ULL << 30) - (1ULL << 7), 2), " 1024.00 MB");
}

TEST(FormatSize, WideValuesAndLocaleSeparator) {
  EXPECT_EQ(FormatSize(100000ULL << 30, 2), "100000.00 GB");
  EXPECT_EQ(FormatSize(UINT64_MAX, 1), "17179869184.0 GB");
  EXPECT_EQ(FormatSize(1536, 2, ","), "    1,50 KB");
  // Widths count characters, not bytes: the Arabic separator is two bytes in UTF-8.
  EXPECT_EQ(FormatSize(1536, 1, "\xd9\xab"),
            "     1\xd9\xab"
            "5 KB");
}

// The sign takes the padding's last blank, so signed and plain sizes line up in one column; the
// most negative change has no positive counterpart and must not overflow.
TEST(FormatSizeChange, SignInThePaddingAndTheExtremes) {
  EXPECT_EQ(FormatSizeChange(1536), "   +1.50 KB");
  EXPECT_EQ(FormatSizeChange(-(5LL << 30), ","), "   -5,00 GB");
  EXPECT_EQ(FormatSizeChange(0), "    0.00 KB");
  EXPECT_EQ(FormatSizeChange(100000LL << 30), "+100000.00 GB");
  EXPECT_EQ(FormatSizeChange(INT64_MIN), "-8589934592.00 GB");
}

// Every Qt program sets the C locale from the environment; the separator must still be the one
// asked for, or the CLI's JSON and the window would differ by machine.
TEST(FormatPattern, IgnoresTheProcessLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not generated on this machine";
  }
  const std::string dotted = FormatPattern("%2f", {5.25});
  const std::string size = FormatSize(1536, 2, ",");
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(dotted, "5.25");
  EXPECT_EQ(size, "    1,50 KB");
}

TEST(FormatPattern, FollowsTheProgramsFormattingRule) {
  EXPECT_EQ(FormatPattern("%d GB", {465}), "465 GB");
  EXPECT_EQ(FormatPattern("%d GB (%2f%%)", {120, 25.806451612903}), "120 GB (25.81%)");
  EXPECT_EQ(FormatPattern("%2f", {5.0}, ","), "5,00");
  EXPECT_EQ(FormatPattern("%0.04x", {0x1a2b}), "1A2B");
  EXPECT_EQ(FormatPattern("%0.04x", {0x1f}), "001F");
  EXPECT_EQ(FormatPattern("%0.04x", {0xDEADBEEFu}), "DEADBEEF");
  EXPECT_EQ(FormatPattern("%x", {-1}), "FFFFFFFF");              // unsigned 32-bit
  EXPECT_EQ(FormatPattern("%x", {0x1234567890LL}), "34567890");  // low 32 bits only
  EXPECT_EQ(FormatPattern("[%6d|%-4d|%.3d]", {42, 7, 5}), "[    42|7   |005]");
  EXPECT_EQ(FormatPattern("%d", {18446744073709551615ULL}), "18446744073709551615");
  EXPECT_EQ(FormatPattern("%8.1f MB", {2.25}), "     2.2 MB");
  EXPECT_EQ(FormatPattern("Version %s", {"1.2.0"}), "Version 1.2.0");
}

TEST(FormatPattern, MissingArgumentsAndStrayPercentsDoNotCrash) {
  EXPECT_EQ(FormatPattern("%d and %d", {1}), "1 and ");
  EXPECT_EQ(FormatPattern("100% sure", {}), "100% sure");
  EXPECT_EQ(FormatPattern("trailing %", {}), "trailing %");
}

// Exports write times with their UTC offset; the calendar maths must hold across leap days,
// before 1970, far ahead, and for the odd offsets of some zones and of old local mean times
// (written to the minute, so the time moves with it).
TEST(TimeText, WritesIso8601WithTheOffset) {
  const struct {
    std::int64_t Seconds;
    std::int32_t Offset;
    const char* Text;
  } cases[] = {
      {0, 0, "1970-01-01T00:00:00+00:00"},
      {951782400, 0, "2000-02-29T00:00:00+00:00"},
      {951827696, 45900, "2000-03-01T01:19:56+12:45"},
      {-1, -18000, "1969-12-31T18:59:59-05:00"},
      {1700000000, 3600, "2023-11-14T23:13:20+01:00"},
      {253402300799, 0, "9999-12-31T23:59:59+00:00"},
      {-2208988800, -1258, "1899-12-31T23:40:00-00:20"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatIso8601(c.Seconds, c.Offset), c.Text);
  EXPECT_EQ(FileTimeToUnixSeconds(116444736000000000ULL + 17000000009999999ULL), 1700000000);
}

}  // namespace
}  // namespace Vellumetric
