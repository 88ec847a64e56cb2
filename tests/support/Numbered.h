#pragma once

#include <string>
#include <string_view>

namespace Vellumetric::Testing {

// "f" + 7 as "f7". Written out of line without operator+: at -O3 GCC 12 reports a false
// -Wrestrict on a short literal + std::string inlined into a test (GCC bug 105651).
[[nodiscard]] std::string Numbered(std::string_view prefix, long long n);

}  // namespace Vellumetric::Testing
