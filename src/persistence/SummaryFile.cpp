#include "persistence/SummaryFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

#include "system/AtomicFile.h"
#include "system/NativePlatform.h"
#include "system/NumberText.h"
#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

void Line(std::string& out, std::string_view text) {
  out.append(text);
  out.append("\r\n");
}

std::int64_t ChildCount(const TSummaryTree& tree, TNodeId node) {
  std::int64_t n = 0;
  for (TNodeId c = tree.FirstChild(node); c != NoNode; c = tree.NextSibling(c)) ++n;
  return n;
}

void AppendSections(std::string& out, const TSummaryTree& tree) {
  for (TNodeId s = tree.FirstChild(NoNode); s != NoNode; s = tree.NextSibling(s)) {
    Line(out, tree.Name(s));
    Line(out, std::to_string(static_cast<std::int32_t>(ChildCount(tree, s))));
    for (TNodeId c = tree.FirstChild(s); c != NoNode; c = tree.NextSibling(c)) {
      Line(out, tree.Name(c));
      Line(out, std::to_string(static_cast<std::int64_t>(tree.Size(c))));
      Line(out, std::to_string(static_cast<std::int64_t>(tree.LastAccess(c))));
      Line(out, tree.Location(c));
    }
  }
}

// Lines of a summary file, read whole: a text file written by this program is small next to
// the scan that produced it.
class TLineSource {
 public:
  explicit TLineSource(std::string bytes) : Bytes(std::move(bytes)) {
    if (const auto eof = Bytes.find('\x1A'); eof != std::string::npos) Bytes.resize(eof);
  }
  bool Next(std::string& line) {
    if (Pos >= Bytes.size()) return false;
    std::size_t end = Bytes.find('\n', Pos);
    if (end == std::string::npos) end = Bytes.size();
    std::string raw;
    raw.reserve(end - Pos);
    for (std::size_t i = Pos; i < end; ++i) {
      if (Bytes[i] != '\r') raw.push_back(Bytes[i]);
    }
    Pos = end + 1;
    line = DecodeStoredText(raw);
    return true;
  }

 private:
  std::string Bytes;
  std::size_t Pos = 0;
};

// Blanks and control characters at both ends go, as the program always trimmed.
std::string Trim(const std::string& text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

struct TLoadState {
  TLineSource& Lines;
  TSummaryLoadHooks& Hooks;
  std::string_view Separator;
  std::int32_t Total = 0;
  std::int32_t Position = 0;
  std::int32_t Tick = 1;
  TPathText LastLocation{};
};

// One section's entries; false when the file ended inside the section.
bool ReadEntries(TLoadState& st, TSummaryTree& tree, TNodeId section, std::int32_t count,
                 bool general) {
  std::uint64_t total = 0;
  std::string name, size, access, location;
  bool complete = true;
  for (std::int32_t i = 0; i < count && !st.Hooks.StopRequested(); ++i) {
    if (!st.Lines.Next(name) || !st.Lines.Next(size) || !st.Lines.Next(access) ||
        !st.Lines.Next(location)) {
      complete = false;
      break;
    }
    std::string entryName = Trim(name);
    const auto entrySize = static_cast<std::uint64_t>(StrToInt64Default(Trim(size), -1));
    const auto entryAccess = static_cast<std::uint64_t>(StrToInt64Default(Trim(access), -1));
    // Entries of one folder follow each other: they share one location text.
    std::string where = Trim(location);
    if (!(st.LastLocation == where)) st.LastLocation = TPathText(where);
    std::int32_t image = 1;
    if (general) {
      const std::int32_t icon = st.Hooks.AddIcon(where + std::string(st.Separator) + entryName);
      image = icon < 0 ? 0 : icon;
    }
    total += entrySize;
    tree.AddNode(section, std::move(entryName), st.LastLocation, entrySize, image, entryAccess);
    if (st.Tick <= 200) {
      ++st.Tick;
    } else {
      st.Position += 200;
      st.Hooks.Progress(st.Position, st.Total);
      st.Tick = 1;
    }
  }
  tree.SetSize(section, total);
  return complete;
}

// A whole number in decimal, optionally signed, with blanks around it allowed.
bool IsWholeNumber(const std::string& line, bool allowNegative) {
  const std::string t = Trim(line);
  std::size_t i = (allowNegative && !t.empty() && t[0] == '-') ? 1 : 0;
  if (i >= t.size() || t.size() - i > 19) return false;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
  }
  return true;
}

}  // namespace

bool IsWellFormedSummary(std::string bytes) {
  TLineSource lines(std::move(bytes));
  std::string line;
  if (!lines.Next(line) || !IsWholeNumber(line, false) || !lines.Next(line)) return false;
  std::string title;
  while (lines.Next(title)) {
    if (!lines.Next(line)) return Trim(title).empty();  // a stray blank last line is fine
    if (!IsWholeNumber(line, false) || Trim(line).size() > 10) return false;
    const long long count = std::stoll(Trim(line));
    for (long long i = 0; i < count; ++i) {
      std::string name, size, access, location;
      if (!lines.Next(name) || !lines.Next(size) || !lines.Next(access) || !lines.Next(location) ||
          !IsWholeNumber(size, true) || !IsWholeNumber(access, true)) {
        return false;
      }
    }
  }
  return true;
}

std::string SummaryFileBytes(const std::string& root, const TSummaryTree& general,
                             const TSummaryTree& detail) {
  std::int64_t entries = 0;
  for (const TSummaryTree* tree : {&general, &detail}) {
    for (TNodeId s = tree->FirstChild(NoNode); s != NoNode; s = tree->NextSibling(s)) {
      entries += ChildCount(*tree, s);
    }
  }
  std::string out;
  Line(out, std::to_string(static_cast<std::int32_t>(entries)));
  Line(out, root);
  AppendSections(out, general);
  AppendSections(out, detail);
  return out;
}

bool SaveSummaryFile(const std::string& folder, const std::string& name, const std::string& root,
                     const TSummaryTree& general, const TSummaryTree& detail, std::string& error) {
  return ReplaceFileAtomically(folder, name, SummaryFileBytes(root, general, detail), error);
}

bool WriteSummaryFile(const std::string& path, const std::string& root, const TSummaryTree& general,
                      const TSummaryTree& detail) {
  const std::string_view name = LastComponent(NativePathStyle(), path);
  std::string folder = path.substr(0, path.size() - name.size());
  // The separator goes, unless it is the root itself.
  if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  std::string error;
  return SaveSummaryFile(folder, std::string(name), root, general, detail, error);
}

bool ReadSummaryFile(const std::string& path, TSummaryTree& general, TSummaryTree& detail,
                     TSummaryLoadHooks& hooks, std::string_view separator) {
  general.Clear();
  detail.Clear();
  std::ifstream file(Utf8Path(path), std::ios::binary);
  if (!file) return false;
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ReadSummaryBytes(std::move(bytes), general, detail, hooks, separator);
  return true;
}

void ReadSummaryBytes(std::string bytes, TSummaryTree& general, TSummaryTree& detail,
                      TSummaryLoadHooks& hooks, std::string_view separator) {
  general.Clear();
  detail.Clear();
  TLineSource lines(std::move(bytes));
  TLoadState st{lines, hooks, separator};
  std::string line;
  if (lines.Next(line)) st.Total = StrToIntDefault(Trim(line), -1);
  std::string root;
  if (lines.Next(line)) root = Trim(line);
  hooks.Started(st.Total, root);

  TSummaryTree* target = &general;
  while (!hooks.StopRequested() && lines.Next(line)) {
    const bool first = target == &general;
    // The title keeps its blanks.
    const TNodeId node =
        target->AddNode(NoNode, line, {}, 0, first ? std::max(hooks.ResetGeneralIcons(), 0) : 0);
    std::string countLine;
    const std::int32_t count = lines.Next(countLine) ? StrToIntDefault(Trim(countLine), -1) : -1;
    if (count < 0) break;
    const bool complete = ReadEntries(st, *target, node, count, first);
    if (first) hooks.ExpandGeneralSection(node);
    if (!complete) break;
    target = &detail;
  }
}

}  // namespace Vellumetric
