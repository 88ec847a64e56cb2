#pragma once

#include <string>

#include "TTempDir.h"

namespace Vellumetric::Testing {

// The vellumetric-cli built with these tests.
inline const std::string kCli = VLM_CLI_PATH;

// Runs the CLI with `args` (already quoted for the shell); stdout and stderr together.
inline std::string Cli(const std::string& args, int* status = nullptr) {
  return RunCommand(ShellQuote(kCli) + " " + args + " 2>&1", status);
}

}  // namespace Vellumetric::Testing
