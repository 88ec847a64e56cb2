#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Vellumetric {

// One extension of a group, with its leading dot (".jpg"); matched without regard to ASCII case.
struct TFileExtData {
  std::string Ext;
  std::int32_t DescID = 0;
};

using TFileExtList = std::vector<TFileExtData>;

}  // namespace Vellumetric
