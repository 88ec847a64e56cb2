#include "persistence/SummaryNames.h"

#include "system/PortableFileName.h"
#include "system/SystemFolders.h"

namespace Vellumetric {

std::string SummaryBaseName(TPathStyle style, std::string_view root) {
  if (style == TPathStyle::Windows && root.size() == 2) {
    return "Drive_" + std::string(root.substr(0, 1));
  }
  std::string base(LastComponent(style, root));
  if (base.empty() && style == TPathStyle::Posix) base = "Drive_root";
  return base;
}

std::string ProposeSummaryName(std::string_view folder, std::string_view base,
                               const std::function<bool(const std::string&)>& fileExists) {
  std::string candidate(base);
  for (unsigned n = 1; fileExists(JoinNativePath(folder, candidate + ".sbf")); ++n) {
    candidate = std::string(base) + "(" + std::to_string(n) + ")";
  }
  return candidate;
}

std::string SummaryFileName(std::string_view typed) {
  std::string name(typed);
  if (!EqualsIgnoreAsciiCase(ExtractExtension(TPathStyle::Windows, typed), ".sbf")) {
    name += ".sbf";
  }
  return name;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("\\/:*?\"<>|") == std::string_view::npos;
}

std::string SaveNameProblem(std::string_view typed) {
  if (!IsPlainFileName(typed)) return InvalidFileNameNotice;
  return WindowsNameProblem(typed);
}

}  // namespace Vellumetric
