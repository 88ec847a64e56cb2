#include "system/posix/TMountTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <sstream>

namespace Vellumetric {
namespace {

std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out.push_back(static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                      (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

template <class T>
bool ToNumber(std::string_view text, T& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseLine(std::string_view line, TMountEntry& e) {
  const auto f = SplitFields(line);
  // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
  const auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
  if (f.size() < 7 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) return false;
  const auto colon = f[2].find(':');
  if (colon == std::string_view::npos) return false;
  if (!ToNumber(f[0], e.MountId) || !ToNumber(f[1], e.ParentId) ||
      !ToNumber(f[2].substr(0, colon), e.Major) || !ToNumber(f[2].substr(colon + 1), e.Minor)) {
    return false;
  }
  e.Root = Unescape(f[3]);
  e.MountPoint = Unescape(f[4]);
  e.Options = std::string(f[5]);
  e.FsType = Unescape(dash[1]);
  e.Source = Unescape(dash[2]);
  e.SuperOptions = dash + 3 < f.end() ? std::string(dash[3]) : std::string();
  return true;
}

}  // namespace

TMountTable TMountTable::Parse(std::string_view text) {
  std::vector<TMountEntry> entries;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    TMountEntry entry;
    if (ParseLine(line, entry)) entries.push_back(std::move(entry));
  }
  return TMountTable(std::move(entries));
}

TMountTable TMountTable::LoadCurrent() {
  std::ifstream in("/proc/self/mountinfo");
  if (!in) return {};
  std::stringstream text;
  text << in.rdbuf();
  return Parse(text.str());
}

const TMountEntry* TMountTable::FindByDevice(unsigned major, unsigned minor) const noexcept {
  for (const auto& e : Entries) {
    if (e.Major == major && e.Minor == minor) return &e;
  }
  return nullptr;
}

bool IsVirtualFileSystemType(std::string_view fsType) noexcept {
  static constexpr std::array<std::string_view, 20> kVirtual = {
      "proc",      "sysfs",      "devtmpfs",    "devpts",   "cgroup",    "cgroup2", "debugfs",
      "tracefs",   "securityfs", "pstore",      "bpf",      "configfs",  "fusectl", "mqueue",
      "hugetlbfs", "autofs",     "binfmt_misc", "efivarfs", "selinuxfs", "nsfs"};
  return std::find(kVirtual.begin(), kVirtual.end(), fsType) != kVirtual.end();
}

bool IsVirtualFileSystemMagic(std::uint64_t magic) noexcept {
  // Values from <linux/magic.h>; devtmpfs shares tmpfs's magic and is caught by name instead.
  static constexpr std::array<std::uint64_t, 18> kMagic = {
      0x9fa0,     0x62656572, 0x1cd1,     0x27e0eb,   0x63677270, 0x64626720,
      0x74726163, 0x73636673, 0x6165676C, 0xcafe4a11, 0x62656570, 0x65735543,
      0x19800202, 0x958458f6, 0x0187,     0x42494e4d, 0xde5e81e4, 0xf97cff8c};
  return magic == 0x6e736673 || std::find(kMagic.begin(), kMagic.end(), magic) != kMagic.end();
}

}  // namespace Vellumetric
