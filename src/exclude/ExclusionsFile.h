#pragma once

#include <string>

#include "exclude/TExclusionRule.h"

namespace Vellumetric {

// The window's rules live in a small text file of the data folder, not in the group database:
// "Reset to Default" of the groups rebuilds that database, and rules have nothing to do with
// file types; a text file can also be read, copied and edited by hand, and the command line
// applies it with --rules. It is replaced whole and atomically.
//
//   [Rule]
//   Kind=name            name, path or marker
//   Pattern=node_modules
//   Case=system          system, sensitive or ignored
//   Enabled=1
inline constexpr const char* ExclusionsFileName = "exclusions.ini";

// The rules stored in `path`. A missing file is no rules and no error; a line that cannot be
// read is an error naming it, and nothing is loaded.
[[nodiscard]] bool LoadExclusions(const std::string& path, TExclusionRuleList& rules,
                                  std::string& error);
[[nodiscard]] std::string ExclusionsText(const TExclusionRuleList& rules);
[[nodiscard]] bool ParseExclusions(const std::string& text, TExclusionRuleList& rules,
                                   std::string& error);
// Writes `folder`/exclusions.ini; `error` receives the system's reason.
[[nodiscard]] bool SaveExclusions(const std::string& folder, const TExclusionRuleList& rules,
                                  std::string& error);

// A list of globs as du's --exclude-from reads it: one per line; blank lines and lines that
// start with '#' are skipped, a trailing carriage return is dropped.
[[nodiscard]] bool LoadGlobList(const std::string& path, bool windowsStyle,
                                TExclusionRuleList& rules, std::string& error);

}  // namespace Vellumetric
