#pragma once

#include <string>
#include <string_view>

namespace Vellumetric {

// Why Windows could not keep a file under this name, as a sentence for the user; empty when it
// can. Windows keeps CON, PRN, AUX, NUL, COM0-COM9 and LPT0-LPT9 for devices in any letter case,
// alone or with any extension (writing "nul.sbf" writes nowhere), and silently drops a dot or a
// blank at a name's end. Checked on every system: a file saved on Linux may be copied to Windows.
// Only the name is looked at, not a folder part.
[[nodiscard]] std::string WindowsNameProblem(std::string_view name);

}  // namespace Vellumetric
