#pragma once

#include <string>
#include <string_view>

#include "system/TWindowsInfo.h"

namespace Vellumetric {

// The description from os-release text: PRETTY_NAME (else NAME, else `fallbackName`) and
// VARIANT as the edition. Values may be quoted with " or ' and use \ escapes.
[[nodiscard]] TWindowsInfo DescribeOsRelease(std::string_view text,
                                             const std::string& fallbackName);

}  // namespace Vellumetric
