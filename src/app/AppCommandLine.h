#pragma once

#include <optional>

namespace Vellumetric {

// Answers --help and --version before any window or display is needed, as Qt programs do, so
// both work on a machine without a display (packaging checks, ssh sessions). Returns the exit
// status when the program should end here.
[[nodiscard]] std::optional<int> HandleInformationOptions(int argc, char** argv);

}  // namespace Vellumetric
