#include <gtest/gtest.h>

#include <string>

#include "find/SizeText.h"

namespace Vellumetric {
namespace {

constexpr auto Min = TSizeBound::Minimum;
constexpr auto Max = TSizeBound::Maximum;
constexpr std::uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024, TiB = GiB * 1024;
constexpr std::uint64_t EiB = TiB * 1024 * 1024;

struct TCase {
  TSizeBound Kind;
  const char* Text;
  bool Valid;
  std::uint64_t Bytes;  // the inclusive bound
};

TEST(SizeText, ReadsSizesAsUsersTypeThemAndRefusesTheRest) {
  const TCase cases[] = {
      {Min, "0", true, 0},
      {Min, "4096", true, 4096},
      {Min, "500K", true, 500 * KiB},
      {Min, "1.5G", true, GiB + GiB / 2},
      {Min, ">1G", true, GiB + 1},
      {Min, ">=1G", true, GiB},
      {Min, " > 10 mb ", true, 10 * MiB + 1},
      {Min, "2 kib", true, 2 * KiB},
      {Min, "1B", true, 1},
      {Min, "3T", true, 3 * TiB},
      {Max, "<10M", true, 10 * MiB - 1},
      {Max, "<=10MiB", true, 10 * MiB},
      {Max, "1.1K", true, 1126},  // 1126.4 bytes: rounded down to whole bytes
      {Max, ".5k", true, 512},
      {Max, "<1", true, 0},
      {Max, "15.5E", true, 15 * EiB + EiB / 2},
      {Max, "0.000000000000000000001E", true, 0},  // digits past the 18th are ignored
      {Min, "18446744073709551615", true, 18446744073709551615ULL},
      {Min, "", false, 0},
      {Min, "K", false, 0},
      {Min, "-1", false, 0},
      {Min, "1.5", false, 0},   // a fraction of a byte
      {Min, "1.5B", false, 0},  // the same
      {Min, "1X", false, 0},
      {Min, "1KX", false, 0},
      {Min, "1 2", false, 0},
      {Min, "1..5K", false, 0},
      {Min, "5M<", false, 0},
      {Min, "<5M", false, 0},  // an upper bound given as the minimum
      {Max, ">5M", false, 0},  // and the other way round
      {Min, ">18446744073709551615", false, 0},
      {Max, "<0", false, 0},
      {Min, "18446744073709551616", false, 0},
      {Min, "16E", false, 0},
      {Min, "15.99999999999999999999E", true, 15 * EiB + 1152921504606846974ULL},
  };
  for (const TCase& c : cases) {
    std::uint64_t bytes = 7;
    std::string error;
    const bool valid = ParseSizeBound(c.Text, c.Kind, bytes, error);
    EXPECT_EQ(valid, c.Valid) << '"' << c.Text << "\": " << error;
    if (valid && c.Valid) {
      EXPECT_EQ(bytes, c.Bytes) << c.Text;
    } else if (!valid) {
      EXPECT_NE(error.find(c.Text), std::string::npos) << "the error names the text: " << error;
    }
  }
}

}  // namespace
}  // namespace Vellumetric
