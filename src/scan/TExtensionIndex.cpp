#include "scan/TExtensionIndex.h"

#include <array>

#include "system/PathRules.h"

namespace Vellumetric {

TExtensionIndex::TExtensionIndex(const TFileExtList& extensions) {
  for (const auto& entry : extensions) {
    std::string key = entry.Ext;
    FoldAsciiCase(key);
    if (key.size() > LongestKey) LongestKey = key.size();
    if (key.empty() && !HasEmpty) {
      HasEmpty = true;
      EmptyGroup = entry.DescID;
    }
    Groups.emplace(std::move(key), entry.DescID);  // keeps the first entry of equal keys
  }
}

bool TExtensionIndex::Find(std::string_view extension, std::int32_t& groupId) const {
  if (extension.empty()) {
    if (HasEmpty) groupId = EmptyGroup;
    return HasEmpty;
  }
  if (extension.size() > LongestKey) return false;
  std::array<char, 64> small{};
  std::string large;
  char* folded = small.data();
  if (extension.size() > small.size()) {
    large.resize(extension.size());
    folded = large.data();
  }
  for (std::size_t i = 0; i < extension.size(); ++i) {
    const char c = extension[i];
    folded[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  const auto it = Groups.find(std::string_view(folded, extension.size()));
  if (it == Groups.end()) return false;
  groupId = it->second;
  return true;
}

}  // namespace Vellumetric
