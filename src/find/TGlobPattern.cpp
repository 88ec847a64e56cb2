#include "find/TGlobPattern.h"

#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::uint32_t FoldCodePoint(std::uint32_t c) {
  return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// The character at `i`: its code point (or, for a byte that starts no well-formed sequence, the
// byte's value) and its length in bytes.
std::uint32_t DecodeAt(std::string_view text, std::size_t i, std::size_t& length) {
  length = Utf8SequenceLength(text, i);
  const auto lead = static_cast<unsigned char>(text[i]);
  if (length <= 1) {
    length = 1;
    return lead;
  }
  std::uint32_t c = lead & (0x7FU >> length);
  for (std::size_t k = 1; k < length; ++k) {
    c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3FU);
  }
  return c;
}

std::size_t CharLength(std::string_view text, std::size_t i) {
  const std::size_t length = Utf8SequenceLength(text, i);
  return length == 0 ? 1 : length;
}

}  // namespace

char TGlobPattern::Fold(char c) const {
  return IgnoreCase ? FoldAscii(c) : c;
}

std::uint32_t TGlobPattern::Fold(std::uint32_t c) const {
  return IgnoreCase ? FoldCodePoint(c) : c;
}

// Whether `name` holds the (folded) literal at `at`.
bool TGlobPattern::EqualsAt(std::string_view name, std::size_t at, std::string_view literal) const {
  if (at + literal.size() > name.size()) return false;
  if (!IgnoreCase) return name.substr(at, literal.size()) == literal;
  for (std::size_t k = 0; k < literal.size(); ++k) {
    if (FoldAscii(name[at + k]) != literal[k]) return false;
  }
  return true;
}

TGlobPattern::TGlobPattern(std::string_view pattern, TGlobOptions options)
    : IgnoreCase(options.IgnoreCase), Escapes(options.BackslashEscapes) {
  std::string literal;
  const auto flush = [&] {
    if (!literal.empty()) AddLiteral(literal);
    literal.clear();
  };
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '*') {
      flush();
      // Consecutive stars are one star.
      if (Tokens.empty() || Tokens.back().Kind != TKind::AnyRun) {
        Tokens.push_back({TKind::AnyRun, 0, 0});
      }
      ++i;
    } else if (c == '?') {
      flush();
      Tokens.push_back({TKind::AnyChar, 0, 0});
      ++i;
    } else if (c == '[') {
      const std::size_t next = ReadSet(pattern, i);
      if (next == i) {
        literal.push_back('[');
        ++i;
      } else {
        // ReadSet appended the set's token; a pending literal goes before it.
        const TToken set = Tokens.back();
        Tokens.pop_back();
        flush();
        Tokens.push_back(set);
        i = next;
      }
    } else if (c == '\\' && options.BackslashEscapes && i + 1 < pattern.size()) {
      const std::size_t length = CharLength(pattern, i + 1);
      literal.append(pattern.substr(i + 1, length));
      i += 1 + length;
    } else {
      const std::size_t length = CharLength(pattern, i);
      literal.append(pattern.substr(i, length));
      i += length;
    }
  }
  flush();
  ChooseShape();
}

void TGlobPattern::AddLiteral(std::string_view bytes) {
  const auto begin = static_cast<std::uint32_t>(Text.size());
  for (const char c : bytes) Text.push_back(Fold(c));
  if (!Tokens.empty() && Tokens.back().Kind == TKind::Literal) {
    Tokens.back().Length += static_cast<std::uint32_t>(bytes.size());
  } else {
    Tokens.push_back({TKind::Literal, begin, static_cast<std::uint32_t>(bytes.size())});
  }
}

// Reads the set that opens at `open`; answers the position after its "]", or `open` when there
// is no closing bracket (then the "[" is a plain character). A "]" right after the opening (or
// after its "!") belongs to the set.
std::size_t TGlobPattern::ReadSet(std::string_view pattern, std::size_t open) {
  std::size_t i = open + 1;
  TToken token{TKind::Set, static_cast<std::uint32_t>(Ranges.size()), 0};
  if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
    token.Negated = true;
    ++i;
  }
  const std::size_t first = i;
  std::vector<TRange> ranges;
  while (i < pattern.size() && (pattern[i] != ']' || i == first)) {
    std::size_t length = 0;
    if (Escapes && pattern[i] == '\\' && i + 1 < pattern.size()) ++i;
    const std::uint32_t low = DecodeAt(pattern, i, length);
    i += length;
    std::uint32_t high = low;
    if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
      ++i;
      if (Escapes && pattern[i] == '\\' && i + 1 < pattern.size()) ++i;
      high = DecodeAt(pattern, i, length);
      i += length;
    }
    // Both ends fold as the characters do, the way fnmatch folds them: [A-Z] is [a-z], and a
    // range between other characters keeps its bounds.
    ranges.push_back({Fold(low), Fold(high)});
  }
  if (i >= pattern.size()) return open;
  Ranges.insert(Ranges.end(), ranges.begin(), ranges.end());
  token.Length = static_cast<std::uint32_t>(ranges.size());
  Tokens.push_back(token);
  return i + 1;
}

void TGlobPattern::ChooseShape() {
  const auto literalAt = [&](std::size_t k) {
    return k < Tokens.size() && Tokens[k].Kind == TKind::Literal;
  };
  const auto starAt = [&](std::size_t k) {
    return k < Tokens.size() && Tokens[k].Kind == TKind::AnyRun;
  };
  std::size_t literal = Tokens.size();
  if (Tokens.size() == 1 && starAt(0)) {
    Shape = TShape::All;
  } else if (Tokens.size() == 1 && literalAt(0)) {
    Shape = TShape::Exact;
    literal = 0;
  } else if (Tokens.size() == 2 && literalAt(0) && starAt(1)) {
    Shape = TShape::Prefix;
    literal = 0;
  } else if (Tokens.size() == 2 && starAt(0) && literalAt(1)) {
    Shape = TShape::Suffix;
    literal = 1;
  } else if (Tokens.size() == 3 && starAt(0) && literalAt(1) && starAt(2)) {
    Shape = TShape::Contains;
    literal = 1;
  } else if (Tokens.empty()) {
    Shape = TShape::Exact;  // the empty pattern matches only the empty name
  }
  if (literal < Tokens.size()) {
    FixedBegin = Tokens[literal].Begin;
    FixedLength = Tokens[literal].Length;
  }
}

bool TGlobPattern::Matches(std::string_view name) const {
  const std::string_view fixed = Fixed();
  switch (Shape) {
    case TShape::All:
      return true;
    case TShape::Exact:
      return name.size() == fixed.size() && EqualsAt(name, 0, fixed);
    case TShape::Prefix:
      return EqualsAt(name, 0, fixed);
    case TShape::Suffix:
      return name.size() >= fixed.size() && EqualsAt(name, name.size() - fixed.size(), fixed);
    case TShape::Contains:
      for (std::size_t at = 0; at + fixed.size() <= name.size(); ++at) {
        if (EqualsAt(name, at, fixed)) return true;
      }
      return false;
    case TShape::General:
      break;
  }
  return MatchesGeneral(name);
}

bool TGlobPattern::SetHas(const TToken& token, std::uint32_t c) const {
  const std::uint32_t folded = Fold(c);
  for (std::uint32_t k = 0; k < token.Length; ++k) {
    const TRange& r = Ranges[token.Begin + k];
    if (folded >= r.First && folded <= r.Last) return true;
  }
  return false;
}

// Advances `i` past what a single-character or literal token matches at `i`.
bool TGlobPattern::TokenMatchesAt(const TToken& token, std::string_view name,
                                  std::size_t& i) const {
  if (token.Kind == TKind::Literal) {
    const std::string_view folded = std::string_view(Text).substr(token.Begin, token.Length);
    if (!EqualsAt(name, i, folded)) return false;
    i += folded.size();
    return true;
  }
  if (i >= name.size()) return false;
  std::size_t length = 0;
  const std::uint32_t c = DecodeAt(name, i, length);
  if (token.Kind == TKind::Set && SetHas(token, c) == token.Negated) return false;
  i += length;
  return true;
}

// The classic one-pass matcher: on a mismatch, go back to the last star and let it take one
// more character. Stars only ever move forward, so the work stays near name length times
// pattern length even for patterns such as "*a*a*a*b".
bool TGlobPattern::MatchesGeneral(std::string_view name) const {
  std::size_t t = 0;
  std::size_t i = 0;
  std::size_t starToken = Tokens.size();
  std::size_t starName = 0;
  while (true) {
    if (t < Tokens.size() && Tokens[t].Kind == TKind::AnyRun) {
      starToken = t++;
      starName = i;
      continue;
    }
    if (t < Tokens.size()) {
      std::size_t next = i;
      if (TokenMatchesAt(Tokens[t], name, next)) {
        ++t;
        i = next;
        continue;
      }
    } else if (i == name.size()) {
      return true;
    }
    if (starToken == Tokens.size() || starName >= name.size()) return false;
    starName += CharLength(name, starName);
    t = starToken + 1;
    i = starName;
  }
}

}  // namespace Vellumetric
