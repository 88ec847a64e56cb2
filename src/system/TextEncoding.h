#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Vellumetric {

// Length of the well-formed UTF-8 sequence that starts at `i`, or 0 when the bytes there do not
// form one (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
[[nodiscard]] std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) noexcept;
[[nodiscard]] bool IsValidUtf8(std::string_view text) noexcept;

// Text read from a file or database that the older single-byte form may have written: valid
// UTF-8 stays as it is, anything else is taken byte for character (Latin-1) and re-encoded.
[[nodiscard]] std::string DecodeStoredText(std::string_view bytes);

// UTF-8 to UTF-16 for APIs that take wide text; false when the input is not valid UTF-8.
[[nodiscard]] bool Utf8ToUtf16(std::string_view text, std::u16string& out);

}  // namespace Vellumetric
