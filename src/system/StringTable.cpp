#include "system/StringTable.h"

#include "system/StringTableData.h"

namespace Vellumetric {
namespace {

// Byte length of the first `units` UTF-16 code units of UTF-8 text (the table was read into a
// buffer of 512 UTF-16 characters, terminator included).
std::size_t PrefixOfUnits(std::string_view text, std::size_t units) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::size_t width = len == 4 ? 2 : 1;
    if (count + width > units) return i;
    count += width;
    i += len;
  }
  return text.size();
}

}  // namespace

std::string LoadResString(int id) {
  for (std::size_t i = 0; i < kStringTableSize; ++i) {
    if (kStringTable[i].Id == id) {
      const std::string_view text(kStringTable[i].Text);
      return std::string(text.substr(0, PrefixOfUnits(text, 511)));
    }
  }
  return {};
}

std::string LoadResStringFmt(int id, std::string_view argument) {
  std::string text = LoadResString(id);
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

}  // namespace Vellumetric
