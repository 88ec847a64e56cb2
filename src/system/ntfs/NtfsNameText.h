#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Vellumetric {

// NTFS names are UTF-16 code units, not always well-formed: a lone surrogate is legal in a name.
// The index keeps them as UTF-8, half the bytes for most names, with a lone surrogate written as
// the three bytes its code point would take (the "WTF-8" of the web's encoding tools), so no
// unit is lost and the index order can still be computed from the text.

// Appends the `units` little-endian UTF-16 code units at `utf16le` to `out`.
void AppendNtfsNameText(const std::uint8_t* utf16le, std::size_t units, std::vector<char>& out);

// The name as the scan shows it: itself, or, when it holds a lone surrogate, a copy in `scratch`
// with each one made U+FFFD, as Windows' own conversion makes it.
[[nodiscard]] std::string_view ShownNtfsName(std::string_view text, std::string& scratch);

// Reads the UTF-16 code units back, one at a time, out of text made by AppendNtfsNameText.
class TNtfsNameUnits {
 public:
  explicit TNtfsNameUnits(std::string_view text) noexcept
      : At(text.data()), End(text.data() + text.size()) {}

  // False at the end; else the next unit in `unit`.
  [[nodiscard]] bool Next(char16_t& unit) noexcept {
    if (Low != 0) {
      unit = std::exchange(Low, char16_t{0});
      return true;
    }
    if (At == End) return false;
    const auto b = static_cast<unsigned char>(*At);
    if (b < 0x80) {
      unit = b;
      ++At;
      return true;
    }
    return NextMulti(unit);
  }

 private:
  bool NextMulti(char16_t& unit) noexcept;

  const char* At;
  const char* End;
  char16_t Low = 0;  // the second half of a pair, due next
};

}  // namespace Vellumetric
