#include "cli/HistoryReport.h"

#include <cstdio>
#include <ctime>

#include "export/JsonText.h"
#include "system/Formatting.h"

namespace Vellumetric {
namespace {

std::string LocalTime(std::int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  const std::tm* local = std::localtime(&t);  // the command line has one thread reading clocks
  char text[32] = "?";
  if (local) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local);
  return text;
}

const char* ModeName(const TScanSnapshot& scan) {
  return scan.Mode == FolderKindDrive ? "drive" : "folder";
}

void AppendNumber(std::string& out, const char* key, long long value, bool first = false) {
  out += first ? "\"" : ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

void AppendUnsigned(std::string& out, const char* key, unsigned long long value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

void AppendScanJson(std::string& out, const TScanSnapshot& s) {
  out += "{";
  AppendNumber(out, "id", s.Id, true);
  out += ",\"root\":";
  AppendJsonString(out, s.Root);
  out += ",\"mode\":\"";
  out += ModeName(s);
  out += "\"";
  AppendNumber(out, "started", s.Started);
  AppendNumber(out, "finished", s.Finished);
  AppendUnsigned(out, "size", s.Size);
  AppendUnsigned(out, "files", s.Files);
  AppendUnsigned(out, "folders", s.FolderCount);
  out += ",\"unreadable\":";
  out += s.Unreadable ? std::to_string(*s.Unreadable) : "null";
  out += "}";
}

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

std::string ScanLine(const TScanSnapshot& s) {
  return "scan " + std::to_string(s.Id) + " (" + LocalTime(s.Started) + ")";
}

void AppendChangeList(std::string& out, const char* title, const std::vector<TFolderChange>& list,
                      std::size_t count, bool signedSizes) {
  out += "\n";
  out += title;
  out += "\n";
  if (count == 0) out += "  (none)\n";
  for (const TFolderChange& c : list) {
    const std::string size = signedSizes ? FormatSizeChange(c.Change())
                                         : FormatSize(c.After > 0 ? c.After : c.Before, 2);
    out += size + "  " + c.Path + "\n";
  }
  if (count > list.size()) out += "  ... and " + std::to_string(count - list.size()) + " more\n";
}

void AppendChangesJson(std::string& out, const char* key, const std::vector<TFolderChange>& list,
                       std::size_t count) {
  out += ",\"";
  out += key;
  out += "\":[";
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TFolderChange& c = list[i];
    out += i > 0 ? ",{\"path\":" : "{\"path\":";
    AppendJsonString(out, c.Path);
    AppendUnsigned(out, "before", c.Before);
    AppendUnsigned(out, "after", c.After);
    AppendNumber(out, "change", c.Change());
    out += "}";
  }
  out += "]";
  AppendUnsigned(out, (std::string(key) + "_count").c_str(), count);
}

}  // namespace

std::string HistoryText(const std::vector<TScanSnapshot>& scans, const std::string& root) {
  if (scans.empty()) {
    return root.empty() ? "no scans in the history\n" : "no scans of " + root + " in the history\n";
  }
  std::string out = "    id  started           mode           size      files    folders  root\n";
  for (const TScanSnapshot& s : scans) {
    char line[128];
    std::snprintf(line, sizeof line, "%6lld  %-16s  %-6s  %s  %9u  %9u  ",
                  static_cast<long long>(s.Id), LocalTime(s.Started).c_str(), ModeName(s),
                  FormatSize(s.Size, 2).c_str(), s.Files, s.FolderCount);
    out += line + s.Root + "\n";
  }
  return out;
}

std::string HistoryJson(const std::vector<TScanSnapshot>& scans) {
  std::string out = "[";
  for (std::size_t i = 0; i < scans.size(); ++i) {
    if (i > 0) out += ",";
    AppendScanJson(out, scans[i]);
  }
  return out + "]\n";
}

std::string DiffText(const TScanSnapshot& from, const TScanSnapshot& to, const TScanDiff& diff) {
  std::string out = to.Root + "\n" + ScanLine(from) + " -> " + ScanLine(to) + "\n\n";
  out += "Total " + Trimmed(FormatSizeChange(diff.TotalChange)) + "  (" +
         std::to_string(diff.TotalChange) + " bytes; " + Trimmed(FormatSize(from.Size, 2)) +
         " -> " + Trimmed(FormatSize(to.Size, 2)) + ")\n";
  AppendChangeList(out, "Growth spots", diff.Growth, diff.GrowthCount, true);
  AppendChangeList(out, "Shrink spots", diff.Shrink, diff.ShrinkCount, true);
  AppendChangeList(out, "New folders", diff.Added, diff.AddedCount, false);
  AppendChangeList(out, "Gone folders", diff.Removed, diff.RemovedCount, false);
  return out;
}

std::string DiffJson(const TScanSnapshot& from, const TScanSnapshot& to, const TScanDiff& diff) {
  std::string out = "{\"root\":";
  AppendJsonString(out, to.Root);
  out += ",\"from\":";
  AppendScanJson(out, from);
  out += ",\"to\":";
  AppendScanJson(out, to);
  AppendNumber(out, "change", diff.TotalChange);
  AppendChangesJson(out, "growth", diff.Growth, diff.GrowthCount);
  AppendChangesJson(out, "shrink", diff.Shrink, diff.ShrinkCount);
  AppendChangesJson(out, "new", diff.Added, diff.AddedCount);
  AppendChangesJson(out, "gone", diff.Removed, diff.RemovedCount);
  return out + "}\n";
}

}  // namespace Vellumetric
