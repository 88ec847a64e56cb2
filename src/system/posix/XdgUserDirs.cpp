#include "system/posix/XdgUserDirs.h"

namespace Vellumetric {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// A shell-quoted value as xdg-user-dirs writes it: "..." with \" and \\ escapes.
bool Unquote(std::string_view value, std::string& out) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return false;
  value = value.substr(1, value.size() - 2);
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    out.push_back(value[i]);
  }
  return true;
}

}  // namespace

std::map<std::string, std::string> ParseXdgUserDirs(std::string_view text,
                                                    const std::string& home) {
  std::map<std::string, std::string> dirs;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = Trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    const std::size_t eq = line.find('=');
    if (line.empty() || line.front() == '#' || eq == std::string_view::npos) continue;
    std::string value;
    if (!Unquote(Trim(line.substr(eq + 1)), value)) continue;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      value = home + value.substr(5);
    } else if (value.empty() || value.front() != '/') {
      continue;
    }
    dirs[std::string(Trim(line.substr(0, eq)))] = value;
  }
  return dirs;
}

}  // namespace Vellumetric
