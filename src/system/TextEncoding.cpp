#include "system/TextEncoding.h"

#include "system/NativePlatform.h"

namespace Vellumetric {

std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) noexcept {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const auto cont = [&](std::size_t k) { return k < s.size() && (b(k) & 0xC0) == 0x80; };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(i + 1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(i + 1) || !cont(i + 2)) return 0;
    if ((c == 0xE0 && b(i + 1) < 0xA0) || (c == 0xED && b(i + 1) > 0x9F)) return 0;
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return 0;
    if ((c == 0xF0 && b(i + 1) < 0x90) || (c == 0xF4 && b(i + 1) > 0x8F)) return 0;
    return 4;
  }
  return 0;
}

bool IsValidUtf8(std::string_view text) noexcept {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string DecodeStoredText(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string DecodeDatabaseText(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : LegacyCodePageToUtf8(bytes);
}

std::filesystem::path Utf8Path(std::string_view text) {
  return std::filesystem::path(reinterpret_cast<const char8_t*>(text.data()),
                               reinterpret_cast<const char8_t*>(text.data() + text.size()));
}

bool Utf8ToUtf16(std::string_view text, std::u16string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) return false;
    const auto b = [&](std::size_t k) { return static_cast<char32_t>(text[i + k]) & 0x3F; };
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t cp = len == 1   ? lead
                  : len == 2 ? ((lead & 0x1Fu) << 6) | b(1)
                  : len == 3 ? ((lead & 0x0Fu) << 12) | (b(1) << 6) | b(2)
                             : ((lead & 0x07u) << 18) | (b(1) << 12) | (b(2) << 6) | b(3);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return true;
}

}  // namespace Vellumetric
