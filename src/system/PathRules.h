#pragma once

#include <string>
#include <string_view>

namespace Vellumetric {

// Path text rules, as pure functions in both styles so each can be tested on any platform.
// Windows: separator '\', a drive colon also ends a component, children are joined without any
// normalisation ("D:\" + "Data" gives "D:\\Data"). POSIX: separator '/', no doubled separator
// after a root such as "/".
enum class TPathStyle { Windows, Posix };

// From the last '.' of the name to its end, dot included; empty without a dot in the last
// component. "archive.tar.gz" gives ".gz", ".profile" gives ".profile".
[[nodiscard]] std::string_view ExtractExtension(TPathStyle style, std::string_view name);

// The extension a name counts under for the map's colours and the statistics: an extension of
// digits alone is a version number, and the one before it counts ("libc.so.6" and
// "libfoo.so.1.2.3" give ".so"; "python3.11" gives none). The file-type groups keep
// ExtractExtension's last dot.
[[nodiscard]] std::string_view VersionedExtension(TPathStyle style, std::string_view name);

// The text after the last separator (Windows: also after the last ':'); empty for "C:\".
[[nodiscard]] std::string_view LastComponent(TPathStyle style, std::string_view path);

// What goes between a parent path ending in `parentBack` ('\0' when empty) and a child's name.
[[nodiscard]] std::string_view ChildSeparator(TPathStyle style, char parentBack) noexcept;

[[nodiscard]] std::string ChildPath(TPathStyle style, std::string_view parent,
                                    std::string_view name);

// The location shown for a file. Windows: an empty path gives `sourcePath`; a leading '\' is
// dropped; then a '\' in fourth place is dropped ("D:\\Data" becomes "D:\Data"). POSIX: an empty
// path gives `sourcePath`, anything else stays as it is.
[[nodiscard]] std::string NormalizeLocation(TPathStyle style, std::string_view path,
                                            std::string_view sourcePath);

// The Scan Drive button's rule: Windows "C:\" (exactly three characters) becomes "C:"; a POSIX
// mount point keeps its text.
[[nodiscard]] std::string ShortenDriveRoot(TPathStyle style, std::string_view root);

// ASCII-only case folding, as extensions are compared.
[[nodiscard]] bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) noexcept;
void FoldAsciiCase(std::string& text) noexcept;

}  // namespace Vellumetric
