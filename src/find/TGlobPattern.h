#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Vellumetric {

// A file-name pattern as shells and find -iname read it: "*" any run of characters, "?" one
// character, "[abc]", "[a-z]" and "[!abc]" (or "[^abc]") one character of a set, "\" takes the
// next character literally; a "[" without its "]" is a plain "[". Matching ignores case for the
// ASCII letters only; every other byte must be equal. A character is one well-formed UTF-8
// sequence, or a single byte where a name is not UTF-8, so "?" matches "é" as one character.
class TGlobPattern {
 public:
  explicit TGlobPattern(std::string_view pattern);

  [[nodiscard]] bool Matches(std::string_view name) const;

 private:
  enum class TKind : std::uint8_t { Literal, AnyChar, AnyRun, Set };
  struct TToken {
    TKind Kind;
    std::uint32_t Begin;   // Literal: its folded bytes in Text; Set: its first entry in Ranges
    std::uint32_t Length;  // Literal: byte count; Set: range count
    bool Negated = false;
  };
  struct TRange {
    std::uint32_t First, Last;  // code points (byte values of stray bytes), ASCII folded
  };
  // The shapes almost every query has get a direct test; the rest goes through the general
  // matcher.
  enum class TShape : std::uint8_t { All, Exact, Prefix, Suffix, Contains, General };

  void AddLiteral(std::string_view bytes);
  std::size_t ReadSet(std::string_view pattern, std::size_t open);
  void ChooseShape();
  [[nodiscard]] bool MatchesGeneral(std::string_view name) const;
  [[nodiscard]] bool TokenMatchesAt(const TToken& token, std::string_view name,
                                    std::size_t& i) const;
  [[nodiscard]] bool SetHas(const TToken& token, std::uint32_t c) const;

  std::string Text;  // folded literal bytes
  std::vector<TToken> Tokens;
  std::vector<TRange> Ranges;
  TShape Shape = TShape::General;
  std::string_view Fixed;  // the one literal of the simple shapes, inside Text
};

}  // namespace Vellumetric
