#include "scan/TExtensionIndex.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "system/PathRules.h"

namespace Vellumetric {
namespace {

// FNV-1a: short keys, one multiply a byte, no set-up.
constexpr std::uint64_t kFnvOffset = 14695981039346656037ULL;
constexpr std::uint64_t kFnvPrime = 1099511628211ULL;

std::uint64_t HashOf(std::string_view folded) {
  std::uint64_t h = kFnvOffset;
  for (const char c : folded) h = (h ^ static_cast<unsigned char>(c)) * kFnvPrime;
  return h;
}

}  // namespace

TExtensionIndex::TExtensionIndex(const TFileExtList& extensions) {
  std::size_t slots = 16;
  while (slots < extensions.size() * 4) slots *= 2;
  Slots.assign(slots, NoKey);
  Mask = slots - 1;
  for (const auto& entry : extensions) {
    std::string key = entry.Ext;
    FoldAsciiCase(key);
    if (key.empty()) {
      if (!HasEmpty) EmptyGroup = entry.DescID;
      HasEmpty = true;
      continue;
    }
    std::size_t slot = HashOf(key) & Mask;
    while (Slots[slot] != NoKey && Keys[Slots[slot]].Folded != key) slot = (slot + 1) & Mask;
    if (Slots[slot] != NoKey) continue;  // the first entry of equal keys decides
    LongestKey = std::max(LongestKey, key.size());
    Slots[slot] = static_cast<std::uint32_t>(Keys.size());
    Keys.push_back({std::move(key), entry.DescID});
  }
}

bool TExtensionIndex::Find(std::string_view extension, std::int32_t& groupId) const {
  if (extension.empty()) {
    if (HasEmpty) groupId = EmptyGroup;
    return HasEmpty;
  }
  if (extension.size() > LongestKey) return false;
  std::array<char, FoldedMax> small;  // filled below up to the extension's length
  std::string large;
  char* folded = small.data();
  if (extension.size() > small.size()) {
    large.resize(extension.size());
    folded = large.data();
  }
  std::uint64_t h = kFnvOffset;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    const char c = extension[i];
    folded[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    h = (h ^ static_cast<unsigned char>(folded[i])) * kFnvPrime;
  }
  for (std::size_t slot = h & Mask; Slots[slot] != NoKey; slot = (slot + 1) & Mask) {
    const TKey& key = Keys[Slots[slot]];
    if (key.Folded.size() == extension.size() &&
        std::memcmp(key.Folded.data(), folded, extension.size()) == 0) {
      groupId = key.Group;
      return true;
    }
  }
  return false;
}

}  // namespace Vellumetric
