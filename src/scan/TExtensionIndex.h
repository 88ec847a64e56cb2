#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/TFileExtData.h"

namespace Vellumetric {

// Answers "which group does this extension belong to" exactly as a walk of the extension list
// from its first entry would (ASCII-only case folding, the first equal entry decides), but with
// one look-up per file instead of a pass over the list. The scan asks this of every file, so the
// table is its own: folding and hashing in one pass over the extension, then a probe of a table
// a few times larger than the list, with no division and no node to follow.
class TExtensionIndex {
 public:
  explicit TExtensionIndex(const TFileExtList& extensions);

  [[nodiscard]] bool Find(std::string_view extension, std::int32_t& groupId) const;

 private:
  struct TKey {
    std::string Folded;
    std::int32_t Group = 0;
  };
  static constexpr std::uint32_t NoKey = 0xFFFFFFFFU;

  // Extensions up to this long are folded on the stack, longer ones on the heap.
  static constexpr std::size_t FoldedMax = 64;

  std::vector<TKey> Keys;
  std::vector<std::uint32_t> Slots;  // indexes into Keys, NoKey where empty; a power of two
  std::size_t Mask = 0;
  std::size_t LongestKey = 0;
  // A file without an extension, the most common kind on some volumes, is answered without
  // hashing.
  bool HasEmpty = false;
  std::int32_t EmptyGroup = 0;
};

}  // namespace Vellumetric
