#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/TFileExtData.h"

namespace Vellumetric {

// Answers "which group does this extension belong to" exactly as a walk of the extension list
// from its first entry would (ASCII-only case folding, the first equal entry decides), but with
// one hash lookup per file instead of a pass over the list.
class TExtensionIndex {
 public:
  explicit TExtensionIndex(const TFileExtList& extensions);

  [[nodiscard]] bool Find(std::string_view extension, std::int32_t& groupId) const;

 private:
  struct THash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
      return std::hash<std::string_view>{}(s);
    }
  };
  std::unordered_map<std::string, std::int32_t, THash, std::equal_to<>> Groups;
  std::size_t LongestKey = 0;
  // A file without an extension, the most common kind on some volumes, is answered without
  // hashing.
  bool HasEmpty = false;
  std::int32_t EmptyGroup = 0;
};

}  // namespace Vellumetric
