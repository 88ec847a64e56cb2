#pragma once

namespace Vellumetric {

// `vellumetric-cli drives [--json]`: every fixed drive's tile line and drive page.
int RunDrivesCommand(bool json);
// `vellumetric-cli about`: product, version, operating system and memory lines.
int RunAboutCommand();
// The first two lines of `about`: the product and "Version 1.2.0".
int RunVersionCommand();

}  // namespace Vellumetric
