#pragma once

#include "system/TWindowsVersionRecord.h"

namespace Vellumetric {

// Everything the Windows naming rules need, read from this system: the extended version record
// (else the basic one), the product type for 6.x, the R2 metric, the native processor and, for
// an old system with only the basic record, the ProductOptions registry value.
[[nodiscard]] TWindowsVersionRecord ReadWindowsVersionRecord();

}  // namespace Vellumetric
