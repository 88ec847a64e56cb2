#include "exclude/ExclusionsFile.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "system/AtomicFile.h"
#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

constexpr std::size_t kMaxFileBytes = 1 << 20;

bool ReadSmallFile(const std::string& path, std::string& text, bool& missing, std::string& error) {
  missing = false;
  std::error_code ec;
  if (!std::filesystem::exists(Utf8Path(path), ec)) {
    missing = true;
    return true;
  }
  std::ifstream in(Utf8Path(path), std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = buffer.str();
  if (text.size() > kMaxFileBytes) {
    error = path + " is larger than 1 MiB";
    return false;
  }
  return true;
}

std::string_view WithoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool SetField(TExclusionRule& rule, std::string_view key, std::string_view value) {
  if (key == "Kind") return ParseKindWord(value, rule.Kind);
  if (key == "Case") return ParseCaseWord(value, rule.Case);
  if (key == "Pattern") {
    rule.Pattern = std::string(value);
    return true;
  }
  if (key == "Enabled" && (value == "0" || value == "1")) {
    rule.Enabled = value == "1";
    return true;
  }
  return false;
}

}  // namespace

std::string ExclusionsText(const TExclusionRuleList& rules) {
  std::string out = "; Folders that scans leave out (Vellumetric)\n";
  for (const TExclusionRule& r : rules) {
    out += "\n[Rule]\nKind=";
    out += KindWord(r.Kind);
    out += "\nPattern=" + r.Pattern + "\nCase=";
    out += CaseWord(r.Case);
    out += r.Enabled ? "\nEnabled=1\n" : "\nEnabled=0\n";
  }
  return out;
}

bool ParseExclusions(const std::string& text, TExclusionRuleList& rules, std::string& error) {
  TExclusionRuleList parsed;
  std::istringstream in(text);
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    const std::string_view line = WithoutCarriageReturn(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line == "[Rule]") {
      parsed.emplace_back();
      continue;
    }
    const std::size_t eq = line.find('=');
    if (parsed.empty() || eq == std::string_view::npos ||
        !SetField(parsed.back(), line.substr(0, eq), line.substr(eq + 1))) {
      error = "line " + std::to_string(number) + " is not a rule field: " + std::string(line);
      return false;
    }
  }
  for (const TExclusionRule& r : parsed) {
    if (r.Pattern.empty()) {
      error = "a rule has no pattern";
      return false;
    }
  }
  rules = std::move(parsed);
  return true;
}

bool LoadExclusions(const std::string& path, TExclusionRuleList& rules, std::string& error) {
  std::string text;
  bool missing = false;
  if (!ReadSmallFile(path, text, missing, error)) return false;
  if (missing) {
    rules.clear();
    return true;
  }
  if (ParseExclusions(text, rules, error)) return true;
  error = path + ": " + error;
  return false;
}

bool SaveExclusions(const std::string& folder, const TExclusionRuleList& rules,
                    std::string& error) {
  for (const TExclusionRule& r : rules) {
    if (r.Pattern.empty() || r.Pattern.find_first_of("\r\n") != std::string::npos) {
      error = "a pattern must be one line of text";
      return false;
    }
  }
  return ReplaceFileAtomically(folder, ExclusionsFileName, ExclusionsText(rules), error);
}

bool LoadGlobList(const std::string& path, bool windowsStyle, TExclusionRuleList& rules,
                  std::string& error) {
  std::string text;
  bool missing = false;
  if (!ReadSmallFile(path, text, missing, error)) return false;
  if (missing) {
    error = "cannot read " + path + ": No such file or directory";
    return false;
  }
  std::istringstream in(text);
  std::string raw;
  while (std::getline(in, raw)) {
    const std::string_view line = WithoutCarriageReturn(raw);
    if (line.empty() || line[0] == '#') continue;
    rules.push_back(RuleFromGlob(line, windowsStyle));
  }
  return true;
}

}  // namespace Vellumetric
