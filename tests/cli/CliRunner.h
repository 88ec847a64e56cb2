#pragma once

#include <unistd.h>

#include <string>

#include "TTempDir.h"

namespace Vellumetric::Testing {

// The vellumetric-cli built with these tests.
inline const std::string kCli = VLM_CLI_PATH;

// Runs the CLI with `args` (already quoted for the shell); stdout and stderr together.
inline std::string Cli(const std::string& args, int* status = nullptr) {
  return RunCommand(ShellQuote(kCli) + " " + args + " 2>&1", status);
}

// A shell command run as an ordinary user, in the C locale: as root, permissions do not stop
// reading, so the command runs as nobody instead.
inline std::string AsUser(const std::string& command) {
  const std::string prefix =
      ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  return "cd / && LC_ALL=C " + prefix + command;
}

}  // namespace Vellumetric::Testing
