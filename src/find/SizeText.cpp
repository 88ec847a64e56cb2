#include "find/SizeText.h"

#include <cctype>
#include <limits>

namespace Vellumetric {
namespace {

constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kMaxFractionDigits = 18;  // 10^18 still fits, doubled, in 64 bits

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

void SkipBlanks(std::string_view text, std::size_t& i) {
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
}

// The power of two a unit stands for: 0 for bytes, 10 for K ... 60 for E; -1 when unknown.
int UnitShift(std::string_view unit) {
  std::string folded;
  for (const char c : unit) folded.push_back(Lower(c));
  if (folded.empty() || folded == "b") return 0;
  static constexpr std::string_view kLetters = "kmgtpe";
  const std::size_t pos = kLetters.find(folded[0]);
  if (pos == std::string_view::npos) return -1;
  const std::string_view rest = std::string_view(folded).substr(1);
  if (!rest.empty() && rest != "b" && rest != "ib") return -1;
  return static_cast<int>(pos + 1) * 10;
}

// floor(fraction / 10^digits * 2^shift) without a wider integer type: the binary digits of the
// quotient one at a time, as long division does.
std::uint64_t FractionBytes(std::uint64_t fraction, std::size_t digits, int shift) {
  std::uint64_t denominator = 1;
  for (std::size_t i = 0; i < digits; ++i) denominator *= 10;
  std::uint64_t quotient = 0;
  std::uint64_t remainder = fraction;
  for (int i = 0; i < shift; ++i) {
    remainder *= 2;
    quotient *= 2;
    if (remainder >= denominator) {
      remainder -= denominator;
      quotient += 1;
    }
  }
  return quotient;
}

struct TNumber {
  std::uint64_t Whole = 0;
  std::uint64_t Fraction = 0;
  std::size_t FractionDigits = 0;
};

// Digits with an optional fraction; false when there are no digits or too many.
bool ReadNumber(std::string_view text, std::size_t& i, TNumber& n, bool& tooLarge) {
  const std::size_t start = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    const auto digit = static_cast<std::uint64_t>(text[i++] - '0');
    if (n.Whole > (kMaxBytes - digit) / 10) tooLarge = true;
    if (!tooLarge) n.Whole = n.Whole * 10 + digit;
  }
  const bool hasWhole = i > start;
  if (i < text.size() && text[i] == '.') {
    ++i;
    const std::size_t fractionStart = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
      if (n.FractionDigits < kMaxFractionDigits) {  // further digits cannot change whole bytes
        n.Fraction = n.Fraction * 10 + static_cast<std::uint64_t>(text[i] - '0');
        ++n.FractionDigits;
      }
      ++i;
    }
    return hasWhole || i > fractionStart;
  }
  return hasWhole;
}

}  // namespace

bool ParseSizeBound(std::string_view text, TSizeBound kind, std::uint64_t& bytes,
                    std::string& error) {
  // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict, its bug 105651) on a literal
  // put in front of a std::string.
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  std::size_t i = 0;
  SkipBlanks(text, i);
  char relation = 0;
  bool orEqual = false;
  if (i < text.size() && (text[i] == '>' || text[i] == '<')) {
    relation = text[i++];
    if (i < text.size() && text[i] == '=') {
      orEqual = true;
      ++i;
    }
    SkipBlanks(text, i);
  }
  if (kind == TSizeBound::Minimum && relation == '<') {
    error = quoted + " is an upper bound; a minimum size is SIZE or >SIZE";
    return false;
  }
  if (kind == TSizeBound::Maximum && relation == '>') {
    error = quoted + " is a lower bound; a maximum size is SIZE or <SIZE";
    return false;
  }
  TNumber number;
  bool tooLarge = false;
  if (!ReadNumber(text, i, number, tooLarge)) {
    error.assign("not a size: ")
        .append(quoted)
        .append(" (a number with an optional unit K, M, G, T: 500K, 1.5G)");
    return false;
  }
  SkipBlanks(text, i);
  std::size_t end = text.size();
  while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  const int shift = UnitShift(text.substr(i, end - i));
  if (shift < 0) {
    error.assign("unknown unit in ")
        .append(quoted)
        .append(" (use B, K, M, G, T, P or E; K = 1024 bytes)");
    return false;
  }
  if (shift == 0 && number.Fraction != 0) {
    error.assign("a size in bytes is a whole number: ").append(quoted);
    return false;
  }
  if (tooLarge || (shift > 0 && number.Whole > (kMaxBytes >> shift))) {
    error.assign("size too large: ").append(quoted);
    return false;
  }
  const std::uint64_t whole = number.Whole << shift;
  const std::uint64_t part = FractionBytes(number.Fraction, number.FractionDigits, shift);
  if (part > kMaxBytes - whole) {
    error.assign("size too large: ").append(quoted);
    return false;
  }
  bytes = whole + part;
  if (relation != 0 && !orEqual) {
    // Strict bounds become inclusive ones; the extreme values leave no size in the range.
    const bool empty = relation == '>' ? bytes == kMaxBytes : bytes == 0;
    if (empty) {
      error = quoted + " leaves no file size";
      return false;
    }
    bytes = relation == '>' ? bytes + 1 : bytes - 1;
  }
  return true;
}

}  // namespace Vellumetric
