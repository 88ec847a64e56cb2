#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace Vellumetric {

// Length of the well-formed UTF-8 sequence that starts at `i`, or 0 when the bytes there do not
// form one (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
[[nodiscard]] std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) noexcept;
[[nodiscard]] bool IsValidUtf8(std::string_view text) noexcept;

// Each byte as the character of the same code (ISO 8859-1), in UTF-8.
[[nodiscard]] std::string Latin1ToUtf8(std::string_view bytes);

// Text read from a file or database that the older single-byte form may have written: valid
// UTF-8 stays as it is, anything else is taken byte for character (Latin-1) and re-encoded.
[[nodiscard]] std::string DecodeStoredText(std::string_view bytes);

// UTF-8 to UTF-16 for APIs that take wide text; false when the input is not valid UTF-8.
[[nodiscard]] bool Utf8ToUtf16(std::string_view text, std::u16string& out);

// Text read back from the group database: valid UTF-8 stays, anything else was written by the
// older single-byte form in the system's ANSI code page (Latin-1 where there is none).
[[nodiscard]] std::string DecodeDatabaseText(std::string_view bytes);

// A file-system path from UTF-8 text, so that streams and std::filesystem open the same file on
// every platform (a plain narrow string means the ANSI code page on Windows).
[[nodiscard]] std::filesystem::path Utf8Path(std::string_view text);

}  // namespace Vellumetric
