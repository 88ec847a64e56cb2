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
// Options make case count (folder rules on Linux) and make "\" a plain character (Windows paths
// such as C:\Windows, where it is the separator).
struct TGlobOptions {
  bool IgnoreCase = true;
  bool BackslashEscapes = true;
};

class TGlobPattern {
 public:
  explicit TGlobPattern(std::string_view pattern, TGlobOptions options = {});

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

  [[nodiscard]] bool EqualsAt(std::string_view name, std::size_t at,
                              std::string_view literal) const;
  [[nodiscard]] char Fold(char c) const;
  [[nodiscard]] std::uint32_t Fold(std::uint32_t c) const;

  bool IgnoreCase = true;
  bool Escapes = true;
  std::string Text;  // literal bytes, folded when case is ignored
  std::vector<TToken> Tokens;
  std::vector<TRange> Ranges;
  TShape Shape = TShape::General;
  // The one literal of the simple shapes, as a place in Text rather than a view of it, so that
  // a copied or moved pattern (a short Text lives inside the object) still reads its own.
  std::uint32_t FixedBegin = 0;
  std::uint32_t FixedLength = 0;
  [[nodiscard]] std::string_view Fixed() const {
    return std::string_view(Text).substr(FixedBegin, FixedLength);
  }
};

}  // namespace Vellumetric
