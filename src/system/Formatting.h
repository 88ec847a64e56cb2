#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace Vellumetric {

// One argument of FormatPattern: a signed or unsigned integer, a floating value or a text.
class TFormatArg {
 public:
  TFormatArg(int v) : Value(static_cast<std::int64_t>(v)) {}
  TFormatArg(long v) : Value(static_cast<std::int64_t>(v)) {}
  TFormatArg(long long v) : Value(static_cast<std::int64_t>(v)) {}
  TFormatArg(unsigned v) : Value(static_cast<std::uint64_t>(v)) {}
  TFormatArg(unsigned long v) : Value(static_cast<std::uint64_t>(v)) {}
  TFormatArg(unsigned long long v) : Value(static_cast<std::uint64_t>(v)) {}
  TFormatArg(double v) : Value(v) {}
  TFormatArg(std::string_view v) : Value(v) {}
  TFormatArg(const char* v) : Value(std::string_view(v)) {}
  TFormatArg(const std::string& v) : Value(std::string_view(v)) {}

  std::variant<std::int64_t, std::uint64_t, double, std::string_view> Value;
};

// The program's one formatting rule for patterns such as "%d GB", "%8.1f MB", "%0.04x" and
// "%d GB (%2f%%)": %d decimal, %x upper-case hexadecimal of the value as unsigned 32-bit, %f
// fixed-point with 2 decimals unless a precision is given, %s text, %% a percent sign. A width is
// a minimum and pads on the left with blanks ('-' pads on the right); a precision on %d or %x is a
// minimum digit count padded with zeros. `decimalSeparator` replaces the '.' of %f.
[[nodiscard]] std::string FormatPattern(std::string_view pattern,
                                        std::initializer_list<TFormatArg> args,
                                        std::string_view decimalSeparator = ".");

// A byte count as "%8.2f GB" / "%8.1f MB" / ... KB (decimals 2 or 1). The quotient is rounded to
// single precision before it is compared with 1, so 2^30 - 1 bytes already shows as 1.00 GB.
[[nodiscard]] std::string FormatSize(std::uint64_t size, int decimals,
                                     std::string_view decimalSeparator = ".");

// A change of size as FormatSize shows sizes (2 decimals), with its sign in the padding:
// "   +1.50 GB", "  -12.00 KB"; no change has no sign.
[[nodiscard]] std::string FormatSizeChange(std::int64_t change,
                                           std::string_view decimalSeparator = ".");

}  // namespace Vellumetric
