#pragma once

#include <memory>

#include "system/PathRules.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// The back end chosen at build time.
[[nodiscard]] TPathStyle NativePathStyle();
[[nodiscard]] std::unique_ptr<TDirectoryLister> CreateDirectoryLister();

}  // namespace Vellumetric
