#include "exclude/TExclusionRules.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "system/NativePlatform.h"
#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

char Separator(TPathStyle style) {
  return style == TPathStyle::Windows ? '\\' : '/';
}

bool IgnoresCase(TExclusionRule::TCase c, TPathStyle style) {
  if (c == TExclusionRule::TCase::System) return style == TPathStyle::Windows;
  return c == TExclusionRule::TCase::Ignored;
}

// Windows rules may be written with either slash; paths there use '\'.
std::string PatternForStyle(std::string pattern, TPathStyle style) {
  if (style == TPathStyle::Windows) std::replace(pattern.begin(), pattern.end(), '/', '\\');
  return pattern;
}

bool StartsAtRoot(std::string_view pattern, TPathStyle style) {
  if (pattern.empty()) return false;
  if (pattern[0] == Separator(style)) return true;
  return style == TPathStyle::Windows && pattern.size() >= 2 && pattern[1] == ':';
}

// The part of a path pattern after its last separator, when it holds no wildcard or escape.
std::optional<std::string> PlainLastPart(std::string_view pattern, TPathStyle style) {
  const std::size_t sep = pattern.rfind(Separator(style));
  const std::string_view last = sep == std::string_view::npos ? pattern : pattern.substr(sep + 1);
  if (last.empty() || last.find_first_of("*?[\\") != std::string_view::npos) return std::nullopt;
  return std::string(last);
}

}  // namespace

bool IsCacheDirTag(const std::string& path) {
  // Most folders have no tag: a look-up is far cheaper than a stream that fails to open.
  if (!IsRegularFile(path)) return false;
  std::ifstream in(Utf8Path(path), std::ios::binary);
  if (!in) return false;
  char head[CacheDirTagSignature.size()];
  in.read(head, sizeof head);
  return in.gcount() == static_cast<std::streamsize>(sizeof head) &&
         std::string_view(head, sizeof head) == CacheDirTagSignature;
}

TExclusionRules::TExclusionRules(const TExclusionRuleList& rules, TPathStyle style) : Style(style) {
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const TExclusionRule& r = rules[i];
    if (!r.Enabled || r.Pattern.empty()) continue;
    const TGlobOptions options{IgnoresCase(r.Case, style), style != TPathStyle::Windows};
    const std::string pattern =
        r.Kind == TExclusionRule::TKind::Path ? PatternForStyle(r.Pattern, style) : r.Pattern;
    Rules.push_back({r.Kind, static_cast<int>(i), TGlobPattern(pattern, options),
                     r.Kind == TExclusionRule::TKind::Marker ? r.Pattern : std::string(),
                     StartsAtRoot(pattern, style), std::nullopt});
    if (r.Kind == TExclusionRule::TKind::Path) {
      if (const auto last = PlainLastPart(pattern, style))
        Rules.back().LastPart.emplace(*last, options);
    }
    HasPathRules = HasPathRules || r.Kind == TExclusionRule::TKind::Path;
    HasMarkerRules = HasMarkerRules || r.Kind == TExclusionRule::TKind::Marker;
  }
}

int TExclusionRules::Match(std::string_view name, std::string_view path,
                           TDirectoryLister* listing) const {
  for (const TCompiled& rule : Rules) {
    switch (rule.Kind) {
      case TExclusionRule::TKind::Name:
        if (rule.Glob.Matches(name)) return rule.Index;
        break;
      case TExclusionRule::TKind::Path:
        if (PathMatches(rule, path)) return rule.Index;
        break;
      case TExclusionRule::TKind::Marker:
        if (HasMarker(rule, name, path, listing)) return rule.Index;
        break;
    }
  }
  return -1;
}

// A rule that starts at a root covers the whole path; any other covers the path's tails after
// each separator, as du reads an --exclude pattern ("src/build" leaves out every such folder).
// Doubled separators (a Windows folder scan of "D:\" makes "D:\\Data") are read as one.
bool TExclusionRules::PathMatches(const TCompiled& rule, std::string_view path) const {
  const char sep = Separator(Style);
  if (rule.LastPart) {
    const std::size_t at = path.rfind(sep);
    if (!rule.LastPart->Matches(at == std::string_view::npos ? path : path.substr(at + 1))) {
      return false;
    }
  }
  std::string collapsed;
  if (path.find(std::string{sep, sep}) != std::string_view::npos) {
    for (const char c : path) {
      if (c != sep || collapsed.empty() || collapsed.back() != sep) collapsed.push_back(c);
    }
    path = collapsed;
  }
  if (rule.Glob.Matches(path)) return true;
  if (rule.Anchored) return false;
  for (std::size_t at = path.find(sep); at != std::string_view::npos; at = path.find(sep, at + 1)) {
    if (at + 1 < path.size() && rule.Glob.Matches(path.substr(at + 1))) return true;
  }
  return false;
}

bool TExclusionRules::HasMarker(const TCompiled& rule, std::string_view name, std::string_view path,
                                TDirectoryLister* listing) const {
  const bool tag = rule.Marker == CacheDirTagName;
  if (listing) {
    const auto held =
        listing->ListedFolderHolds(name, rule.Marker, tag ? CacheDirTagSignature : "");
    if (held) return *held;
  }
  std::string file(path);
  file += ChildSeparator(Style, path.empty() ? '\0' : path.back());
  file += rule.Marker;
  if (tag) return IsCacheDirTag(file);
  return PathExists(file);
}

}  // namespace Vellumetric
