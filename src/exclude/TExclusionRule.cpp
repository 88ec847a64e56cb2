#include "exclude/TExclusionRule.h"

namespace Vellumetric {

std::string_view KindWord(TExclusionRule::TKind kind) noexcept {
  switch (kind) {
    case TExclusionRule::TKind::Path:
      return "path";
    case TExclusionRule::TKind::Marker:
      return "marker";
    case TExclusionRule::TKind::Name:
      break;
  }
  return "name";
}

bool ParseKindWord(std::string_view word, TExclusionRule::TKind& kind) noexcept {
  for (const auto k :
       {TExclusionRule::TKind::Name, TExclusionRule::TKind::Path, TExclusionRule::TKind::Marker}) {
    if (word == KindWord(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

std::string_view CaseWord(TExclusionRule::TCase c) noexcept {
  switch (c) {
    case TExclusionRule::TCase::Sensitive:
      return "sensitive";
    case TExclusionRule::TCase::Ignored:
      return "ignored";
    case TExclusionRule::TCase::System:
      break;
  }
  return "system";
}

bool ParseCaseWord(std::string_view word, TExclusionRule::TCase& c) noexcept {
  for (const auto k : {TExclusionRule::TCase::System, TExclusionRule::TCase::Sensitive,
                       TExclusionRule::TCase::Ignored}) {
    if (word == CaseWord(k)) {
      c = k;
      return true;
    }
  }
  return false;
}

TExclusionRule RuleFromGlob(std::string_view glob, bool windowsStyle) {
  // "build/" as ignore files write a folder: the separator says nothing more here.
  while (glob.size() > 1 && (glob.back() == '/' || (windowsStyle && glob.back() == '\\'))) {
    glob.remove_suffix(1);
  }
  TExclusionRule rule;
  rule.Pattern = std::string(glob);
  const bool hasSeparator = glob.find('/') != std::string_view::npos ||
                            (windowsStyle && glob.find('\\') != std::string_view::npos);
  rule.Kind = hasSeparator ? TExclusionRule::TKind::Path : TExclusionRule::TKind::Name;
  return rule;
}

}  // namespace Vellumetric
