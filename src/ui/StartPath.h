#pragma once

#include <string>

namespace Vellumetric {

// The folder named on the command line as the folder dialog would give it: absolute, without
// "." or ".." parts or a trailing separator. False with a message when it is not a folder.
[[nodiscard]] bool ResolveStartFolder(const std::string& argument, std::string& folder,
                                      std::string& message);

}  // namespace Vellumetric
