#include <gtest/gtest.h>

#include <random>
#include <string>

#include "find/TGlobPattern.h"

#ifndef _WIN32
#include <fnmatch.h>
#endif

namespace Vellumetric {
namespace {

#ifndef _WIN32
// On ASCII the answer must be the C library's fnmatch with case folding (what find -iname uses),
// for random names and patterns of stars, question marks, sets, ranges, negations, escapes and
// stray brackets. Names are often made from the pattern, so that many of them match.
TEST(TGlobPattern, AgreesWithFnmatchOnRandomAsciiNamesAndPatterns) {
  static const std::string kNameChars = "aAbBcC.-_ 1[]!*?\\^";
  // No lone "-": glibc refuses a name when an unclosed set ends in a range ("[]-").
  static const char* const kPieces[] = {
      "*",     "?",   "a", "B", ".",     "c", "[a-c]", "[!b]",  "[A-C]", "[]a]", "[^.]",  "\\*",
      "[0-9]", "\\?", "[", "]", "[*-[]", "!", "[!]",   "[\\]]", "**",    "1",    "[c-a]", "\\["};
  std::mt19937 rng(20240501);
  const auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  std::size_t matched = 0;
  constexpr int kPairs = 40000;
  for (int n = 0; n < kPairs; ++n) {
    std::string pattern;
    for (std::size_t k = below(6) + 1; k > 0; --k) pattern += kPieces[below(std::size(kPieces))];
    std::string name;
    if (below(2) == 0) {
      // A name shaped by the pattern: stars become runs, everything else a likely character.
      for (const char c : pattern) {
        if (c == '*') {
          for (std::size_t k = below(3); k > 0; --k) name += kNameChars[below(kNameChars.size())];
        } else if (c != '\\' && below(5) != 0) {
          name += below(3) == 0 ? static_cast<char>(std::toupper(c)) : c;
        } else {
          name += kNameChars[below(kNameChars.size())];
        }
      }
    } else {
      for (std::size_t k = below(8); k > 0; --k) name += kNameChars[below(kNameChars.size())];
    }
    const bool expected = ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    ASSERT_EQ(TGlobPattern(pattern).Matches(name), expected)
        << "pattern \"" << pattern << "\", name \"" << name << '"';
    matched += expected ? 1 : 0;
  }
  EXPECT_GT(matched, kPairs / 20u);  // the comparison must not be about misses only
}
#endif

// Beyond ASCII a character is a whole UTF-8 sequence (or one stray byte), and only ASCII letters
// are folded.
TEST(TGlobPattern, TakesUtf8CharactersWholeAndFoldsOnlyAscii) {
  const std::string e = "\xc3\xa9";       // é
  const std::string upperE = "\xc3\x89";  // É
  struct {
    std::string Pattern, Name;
    bool Match;
  } const cases[] = {
      {"?", e, true},
      {"??", e, false},
      {"CAF?", "caf" + e, true},
      {"*" + upperE + "*", "x" + e + "y", false},
      {"*" + upperE + "*", "x" + upperE + "y", true},
      {"[" + e + "]", e, true},
      {"[!" + e + "]", e, false},
      {"*?" + e, "a" + e + e, true},
      {"?", "\xff", true},
      {"a*\xff?", "ab\xff\xfe", true},
      {"*.ISO", "disk.iso", true},
      {"backup*", "Backup 2024.tar", true},
      {"*ar.g*", "x.TAR.GZ", true},
      {"", "", true},
      {"", "a", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TGlobPattern(c.Pattern).Matches(c.Name), c.Match) << c.Pattern << " / " << c.Name;
  }
}

}  // namespace
}  // namespace Vellumetric
