#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/TFileExtData.h"
#include "model/TFileExtDescData.h"

namespace Vellumetric {

// One default extension: its text and the index of its group in DefaultGroupNames().
struct TDefaultExtension {
  std::string_view Ext;
  std::int32_t GroupIndex;
};

// The eleven default groups, in the order they are inserted (ids 0..10 by default).
[[nodiscard]] const std::vector<std::string_view>& DefaultGroupNames();
// The 91 default extensions, group by group, in the order they are inserted.
[[nodiscard]] const std::vector<TDefaultExtension>& DefaultExtensions();

// The lists as a fresh group database loads them: groups ascending by name, extensions
// ascending by text (byte-wise), both with the default ids 0..10.
[[nodiscard]] TFileExtDescList DefaultGroupList();
[[nodiscard]] TFileExtList DefaultExtensionList();

}  // namespace Vellumetric
