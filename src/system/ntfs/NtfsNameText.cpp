#include "system/ntfs/NtfsNameText.h"

#include <cstring>

namespace Vellumetric {
namespace {

void AppendCodePoint(std::uint32_t c, std::vector<char>& out) {
  if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
  }
  out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

bool IsHigh(std::uint32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(std::uint32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// A lone surrogate's three bytes: ED A0..BF xx.
bool LoneSurrogateAt(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]) == 0xED && i + 2 < text.size() &&
         static_cast<unsigned char>(text[i + 1]) >= 0xA0;
}

}  // namespace

void AppendNtfsNameText(const std::uint8_t* utf16le, std::size_t units, std::vector<char>& out) {
  const auto unitAt = [utf16le](std::size_t i) -> std::uint32_t {
    return utf16le[2 * i] | (utf16le[2 * i + 1] << 8);
  };
  // Most names are ASCII: a byte each, written in place.
  const std::size_t start = out.size();
  out.resize(start + units);
  std::size_t i = 0;
  for (; i < units; ++i) {
    const std::uint32_t u = unitAt(i);
    if (u >= 0x80) break;
    out[start + i] = static_cast<char>(u);
  }
  out.resize(start + i);
  for (; i < units; ++i) {
    std::uint32_t c = unitAt(i);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (IsHigh(c) && i + 1 < units && IsLow(unitAt(i + 1))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unitAt(++i) - 0xDC00);
    }
    AppendCodePoint(c, out);
  }
}

std::string_view ShownNtfsName(std::string_view text, std::string& scratch) {
  const void* first = std::memchr(text.data(), 0xED, text.size());
  if (first == nullptr) return text;
  scratch.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (LoneSurrogateAt(text, i)) {
      scratch += "\xEF\xBF\xBD";
      i += 2;
    } else {
      scratch += text[i];
    }
  }
  return scratch;
}

bool TNtfsNameUnits::NextMulti(char16_t& unit) noexcept {
  // The text was written by AppendNtfsNameText: every sequence is whole and well-formed.
  const auto at = [this](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(At[i]) & 0x3F);
  };
  const auto lead = static_cast<unsigned char>(*At);
  const std::ptrdiff_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (End - At < length) {  // never, but a cut sequence ends the name rather than the memory
    At = End;
    return false;
  }
  std::uint32_t c = 0;
  if (lead < 0xE0) {
    c = ((lead & 0x1FU) << 6) | at(1);
    At += 2;
  } else if (lead < 0xF0) {
    c = ((lead & 0x0FU) << 12) | (at(1) << 6) | at(2);
    At += 3;
  } else {
    c = ((lead & 0x07U) << 18) | (at(1) << 12) | (at(2) << 6) | at(3);
    At += 4;
    c -= 0x10000;
    unit = static_cast<char16_t>(0xD800 + (c >> 10));
    Low = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    return true;
  }
  unit = static_cast<char16_t>(c);
  return true;
}

}  // namespace Vellumetric
