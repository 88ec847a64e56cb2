#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Vellumetric {

// One rule that leaves folders out of a scan. It is checked once per folder, before the folder
// is listed, so nothing below an excluded folder is read.
struct TExclusionRule {
  enum class TKind {
    Name,    // a glob over the folder's name: node_modules, .git, *.tmp
    Path,    // a glob over the folder's whole path: /home/*/.cache, C:\Windows\WinSxS
    Marker,  // the folder holds a file of this name (CACHEDIR.TAG needs its signature)
  };
  // Case is ignored on Windows and kept on Linux unless a rule says otherwise.
  enum class TCase { System, Sensitive, Ignored };

  TKind Kind = TKind::Name;
  std::string Pattern;
  TCase Case = TCase::System;
  bool Enabled = true;

  bool operator==(const TExclusionRule&) const = default;
};

using TExclusionRuleList = std::vector<TExclusionRule>;

// The marker of the Cache Directory Tagging convention and the bytes its file must start with;
// a file of that name without them marks nothing.
inline constexpr std::string_view CacheDirTagName = "CACHEDIR.TAG";
inline constexpr std::string_view CacheDirTagSignature =
    "Signature: 8a477f597d28d172789f06886806bc55";

// The words the rules file and the command line use for kinds and cases.
[[nodiscard]] std::string_view KindWord(TExclusionRule::TKind kind) noexcept;
[[nodiscard]] bool ParseKindWord(std::string_view word, TExclusionRule::TKind& kind) noexcept;
[[nodiscard]] std::string_view CaseWord(TExclusionRule::TCase c) noexcept;
[[nodiscard]] bool ParseCaseWord(std::string_view word, TExclusionRule::TCase& c) noexcept;

// A glob as du's --exclude takes it: a path rule when it holds a separator ('/' anywhere, '\'
// too for Windows), else a name rule.
[[nodiscard]] TExclusionRule RuleFromGlob(std::string_view glob, bool windowsStyle);

}  // namespace Vellumetric
