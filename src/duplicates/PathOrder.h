#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "system/PathRules.h"

namespace Vellumetric {

// Orders `items` by their paths one component at a time ("x/f" before "x-y/f", as a file
// manager lists them), so that a folder's files come in the same order as the folders do.
template <class T, class PathOf>
void SortByPath(std::vector<T>& items, TPathStyle style, PathOf pathOf) {
  const char separator = style == TPathStyle::Windows ? '\\' : '/';
  std::vector<std::pair<std::string, T>> keyed;
  keyed.reserve(items.size());
  for (const T& item : items) {
    std::string key = pathOf(item);
    std::replace(key.begin(), key.end(), separator, '\0');  // below every other byte
    keyed.emplace_back(std::move(key), item);
  }
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = keyed[i].second;
}

}  // namespace Vellumetric
