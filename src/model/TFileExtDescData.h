#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vellumetric {

// A file-extension group ("Video Files"); ids stay within 0..999.
struct TFileExtDescData {
  std::int32_t ID = 0;
  std::string Desc;
};

using TFileExtDescList = std::vector<TFileExtDescData>;

}  // namespace Vellumetric
