#include "persistence/TWindowStateFile.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "system/AtomicFile.h"
#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

constexpr std::string_view kHeading = "[WindowState]";
constexpr std::string_view kVersionLine = "Version=1";
// Far above what the program writes: anything larger is not this file.
constexpr std::size_t kMaxBytes = 64 * 1024;
constexpr std::size_t kMaxEntries = 512;

bool IsKey(std::string_view key) {
  return !key.empty() && key.size() <= 100 && std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
  });
}

// One line of text: no control character (a tab, a line break, a NUL) and at most 1,000 bytes.
bool IsValue(std::string_view value) {
  return value.size() <= 1000 && std::none_of(value.begin(), value.end(), [](char c) {
           const auto u = static_cast<unsigned char>(c);
           return u < 0x20 || u == 0x7f;
         });
}

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return {};
  return value;
}

}  // namespace

bool TWindowStateFile::Load(const std::string& path) {
  Values.clear();
  std::ifstream in(Utf8Path(path), std::ios::binary);
  if (!in) return false;
  std::string bytes(kMaxBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (bytes.size() > kMaxBytes) return false;
  std::map<std::string, std::string, std::less<>> read;
  std::istringstream lines(bytes);
  std::string line;
  int meaningful = 0;  // lines other than blank ones and comments
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();  // edited on Windows
    if (line.empty() || line.front() == ';') continue;
    ++meaningful;
    // The heading, then the version: a file of another version or another program is not read.
    if (meaningful == 1 || meaningful == 2) {
      if (line != (meaningful == 1 ? kHeading : kVersionLine)) return false;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    const std::string_view key(line.data(), equals);
    const std::string_view value = std::string_view(line).substr(equals + 1);
    if (!IsKey(key) || !IsValue(value) || read.size() >= kMaxEntries) return false;
    if (!read.emplace(std::string(key), std::string(value)).second) return false;
  }
  if (meaningful < 2) return false;
  Values = std::move(read);
  return true;
}

bool TWindowStateFile::Save(const std::string& folder, std::string& error) const {
  std::string text = "; Window sizes and places of Quendrix Vellumetric, kept between runs.\n";
  text += kHeading;
  text += '\n';
  text += kVersionLine;
  text += '\n';
  for (const auto& [key, value] : Values) text += key + "=" + value + "\n";
  return ReplaceFileAtomically(folder, FileName, text, error);
}

void TWindowStateFile::SetInts(std::string_view key, const std::vector<int>& values) {
  std::string text;
  for (const int v : values) {
    if (!text.empty()) text += ',';
    text += std::to_string(v);
  }
  SetText(key, text);
}

void TWindowStateFile::SetText(std::string_view key, std::string_view value) {
  if (!IsKey(key) || !IsValue(value)) return;
  Values.insert_or_assign(std::string(key), std::string(value));
}

void TWindowStateFile::Remove(std::string_view key) {
  const auto found = Values.find(key);
  if (found != Values.end()) Values.erase(found);
}

std::optional<std::vector<int>> TWindowStateFile::Ints(std::string_view key, std::size_t count,
                                                       int minimum, int maximum) const {
  const auto found = Values.find(key);
  if (found == Values.end()) return {};
  std::vector<int> values;
  std::string_view rest = found->second;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::optional<int> v = ParseInt(rest.substr(0, comma));
    if (!v || *v < minimum || *v > maximum) return {};
    values.push_back(*v);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (count != 0 && values.size() != count) return {};
  return values;
}

std::optional<std::string> TWindowStateFile::Text(std::string_view key) const {
  const auto found = Values.find(key);
  if (found == Values.end()) return {};
  return found->second;
}

}  // namespace Vellumetric
