#pragma once

#include <string>
#include <string_view>

namespace Vellumetric {

// UTF-8 <-> UTF-16 at the Win32 API boundary; the rest of the program speaks UTF-8.
[[nodiscard]] std::wstring Widen(std::string_view utf8);
[[nodiscard]] std::string Narrow(std::wstring_view wide);

}  // namespace Vellumetric
