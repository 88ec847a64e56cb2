#include "system/posix/OsRelease.h"

#include <map>

namespace Vellumetric {
namespace {

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) ++i;
    out.push_back(v[i]);
  }
  return out;
}

}  // namespace

TWindowsInfo DescribeOsRelease(std::string_view text, const std::string& fallbackName) {
  std::map<std::string, std::string> values;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t eq = line.find('=');
    if (line.empty() || line.front() == '#' || eq == std::string_view::npos) continue;
    values[std::string(line.substr(0, eq))] = Unquote(line.substr(eq + 1));
  }
  TWindowsInfo info;
  info.VersionClass = -1;
  info.ProductName = !values["PRETTY_NAME"].empty() ? values["PRETTY_NAME"]
                     : !values["NAME"].empty()      ? values["NAME"]
                                                    : fallbackName;
  info.Edition = values["VARIANT"];
  return info;
}

}  // namespace Vellumetric
