#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "system/PathRules.h"

namespace Vellumetric {

// The proposed base name of a summary: "Drive_C" for a Windows drive root "C:", otherwise the
// last component of the root ("Photos"). On POSIX a root whose last component is empty ("/")
// becomes "Drive_root", so the proposal is never a bare ".sbf".
[[nodiscard]] std::string SummaryBaseName(TPathStyle style, std::string_view root);

// The first of base, base(1), base(2), ... for which no file base.sbf exists in the folder.
[[nodiscard]] std::string ProposeSummaryName(
    std::string_view folder, std::string_view base,
    const std::function<bool(const std::string& path)>& fileExists);

// The name typed in the save window with ".sbf" appended, unless it already ends in ".sbf" in
// any letter case.
[[nodiscard]] std::string SummaryFileName(std::string_view typed);

// A save name must be a plain file name: no folder part, none of \ / : * ? " < > |, not empty,
// not "." or "..", so nothing is ever written outside the Backup folder.
[[nodiscard]] bool IsPlainFileName(std::string_view name);

inline constexpr const char* InvalidFileNameNotice =
    "A file name can't contain any of the following characters: \\ / : * ? \" < > |";

// Why a name typed for saving a summary is refused, as the notice to show; empty when it may be
// used. Beyond a plain file name, Windows must be able to keep it: no device name such as CON or
// LPT1.txt, no dot or blank at its end.
[[nodiscard]] std::string SaveNameProblem(std::string_view typed);

}  // namespace Vellumetric
