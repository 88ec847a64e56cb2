#include "system/PathRules.h"

#include <cstddef>

namespace Vellumetric {
namespace {

std::size_t LastSeparator(TPathStyle style, std::string_view path) {
  return style == TPathStyle::Windows ? path.find_last_of("\\:") : path.rfind('/');
}

char FoldAscii(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// The program's texts were UTF-16 on Windows, so "the fourth character" means the fourth UTF-16
// code unit. Returns the byte offset where that unit starts in UTF-8 text, or npos if the text is
// shorter or the unit falls inside a surrogate pair.
std::size_t Utf16UnitOffset(std::string_view text, std::size_t unit) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (units == unit) return i;
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + len > text.size()) len = 1;
    units += len == 4 ? 2 : 1;
    i += len;
    if (units > unit) return std::string_view::npos;
  }
  return std::string_view::npos;
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + len > text.size()) len = 1;
    units += len == 4 ? 2 : 1;
    i += len;
  }
  return units;
}

}  // namespace

std::string_view ExtractExtension(TPathStyle style, std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  // Only a separator after the dot matters, so only the extension is searched: the scan asks
  // this of every file, and a long name need not be read twice.
  const std::string_view after = name.substr(dot + 1);
  const std::size_t sep =
      style == TPathStyle::Windows ? after.find_first_of("\\:") : after.find('/');
  if (sep != std::string_view::npos) return {};
  return name.substr(dot);
}

std::string_view VersionedExtension(TPathStyle style, std::string_view name) {
  for (;;) {
    const std::string_view extension = ExtractExtension(style, name);
    const bool digits = extension.size() > 1 &&
                        extension.find_first_not_of("0123456789", 1) == std::string_view::npos;
    if (!digits) return extension;
    name.remove_suffix(extension.size());
  }
}

std::string_view LastComponent(TPathStyle style, std::string_view path) {
  const std::size_t sep = LastSeparator(style, path);
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string_view ChildSeparator(TPathStyle style, char parentBack) noexcept {
  if (style == TPathStyle::Windows) return "\\";
  return parentBack == '/' ? "" : "/";
}

std::string ChildPath(TPathStyle style, std::string_view parent, std::string_view name) {
  std::string result(parent);
  result.append(ChildSeparator(style, parent.empty() ? '\0' : parent.back()));
  result.append(name);
  return result;
}

std::string NormalizeLocation(TPathStyle style, std::string_view path,
                              std::string_view sourcePath) {
  if (path.empty()) return std::string(sourcePath);
  if (style == TPathStyle::Posix) return std::string(path);
  std::string result(path);
  if (result.front() == '\\') result.erase(0, 1);
  if (Utf16Length(result) > 3) {
    const std::size_t fourth = Utf16UnitOffset(result, 3);
    if (fourth != std::string_view::npos && result[fourth] == '\\') result.erase(fourth, 1);
  }
  return result;
}

std::string ShortenDriveRoot(TPathStyle style, std::string_view root) {
  if (style == TPathStyle::Windows && Utf16Length(root) == 3) {
    const std::size_t third = Utf16UnitOffset(root, 2);
    // The third character is the last one: keep what stands before it.
    if (third != std::string_view::npos) return std::string(root.substr(0, third));
  }
  return std::string(root);
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

void FoldAsciiCase(std::string& text) noexcept {
  for (char& c : text) c = FoldAscii(c);
}

}  // namespace Vellumetric
