#pragma once

#include <memory>

#include "system/PathRules.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// The back end chosen at build time.
[[nodiscard]] TPathStyle NativePathStyle();
[[nodiscard]] std::unique_ptr<TDirectoryLister> CreateDirectoryLister();

// Called once at program start: lets the scan worker allocate from the same heap as the rest of
// the program, which grows in large steps, instead of a per-thread heap that glibc grows one
// page (one mprotect call) at a time.
void PrepareMemoryForScans();

}  // namespace Vellumetric
