#include "cli/ScanReport.h"

#include <cstdio>
#include <vector>

#include "export/JsonText.h"
#include "model/WalkTree.h"
#include "system/Formatting.h"
#include "system/TimeText.h"

namespace Vellumetric {
namespace {

std::string Share(std::uint64_t part, std::uint64_t whole) {
  if (whole == 0) return "      ";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%5.1f%%",
                static_cast<double>(static_cast<long double>(part) * 100 / whole));
  return buf;
}

const char* MeasureName(TMeasure measure) {
  return measure == TMeasure::Disk ? "disk" : "size";
}

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

std::string Counts(const TFolderData& d) {
  return std::to_string(d.FileCount) + " files, " + std::to_string(d.FolderCount) + " folders";
}

void AppendJsonNumberField(std::string& out, const char* key, std::uint64_t value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

// The raw file time as it always was (scripts read it), and beside it the same moment in Unix
// seconds, as the history gives its times; null when the time is unknown.
void AppendAccessFields(std::string& out, std::uint64_t fileTime) {
  AppendJsonNumberField(out, "last_access", fileTime);
  const bool known = fileTime != 0 && fileTime < (1ULL << 63);
  out += ",\"last_access_unix\":";
  out += known ? std::to_string(FileTimeToUnixSeconds(fileTime)) : "null";
}

void AppendBiggestJson(std::string& out, const TBiggestFileList& biggest,
                       const TReportOptions& options, std::string_view root) {
  out += "\"biggest\":[";
  for (std::size_t i = biggest.Count(); i-- > 0;) {
    const TFileTypeData& f = biggest[i];
    out += "{\"name\":";
    AppendJsonString(out, f.Name);
    out += ",\"location\":";
    AppendJsonString(out, NormalizeLocation(options.Style, f.Path.Str(), root));
    AppendJsonNumberField(out, "size", f.Size);
    AppendAccessFields(out, f.LastAccess);
    AppendDiskJson(out, f.DiskSize, f.DiskFlags);
    out += i > 0 ? "}," : "}";
  }
  out += "]";
}

void AppendUnreadableItems(std::string& out, const TUnreadableList& unreadable, bool folders) {
  out += "[";
  bool first = true;
  for (const TUnreadableList::TItem& item : unreadable.Kept()) {
    if (item.IsFolder != folders) continue;
    out += first ? "{\"path\":" : ",{\"path\":";
    first = false;
    AppendJsonString(out, item.Path);
    out += ",\"reason\":";
    AppendJsonString(out, item.Reason);
    out += "}";
  }
  out += "]";
}

// "unreadable": the folder count, the file count, and every kept path with its reason.
void AppendUnreadableJson(std::string& out, const TUnreadableList& unreadable) {
  out += ",\"unreadable\":{\"count\":" + std::to_string(unreadable.Folders());
  AppendJsonNumberField(out, "files", unreadable.Files());
  out += ",\"folders\":";
  AppendUnreadableItems(out, unreadable, true);
  out += ",\"unmeasured\":";
  AppendUnreadableItems(out, unreadable, false);
  out += "}";
}

std::string Counted(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void AppendDiskJson(std::string& out, std::uint64_t diskBytes, std::uint8_t diskFlags) {
  AppendJsonNumberField(out, "disk_bytes", diskBytes);
  if (diskFlags & DiskHardLink) out += ",\"hardlink\":true";
  if (diskFlags & DiskSparse) out += ",\"sparse\":true";
  if (diskFlags & DiskCompressed) out += ",\"compressed\":true";
  if (diskFlags & DiskOnlineOnly) out += ",\"online_only\":true";
}

std::string UnreadableWarning(const TUnreadableList& unreadable, std::size_t shown) {
  std::string out;
  if (unreadable.Folders() > 0) {
    out += Counted(unreadable.Folders(), "folder", "folders") + " could not be read";
  }
  if (unreadable.Files() > 0) {
    out += out.empty() ? "" : ", ";
    out += Counted(unreadable.Files(), "file", "files") + " could not be measured";
  }
  if (out.empty()) return out;
  out += "\n";
  const auto& kept = unreadable.Kept();
  for (std::size_t i = 0; i < kept.size() && i < shown; ++i) {
    out += "  " + kept[i].Path + ": " + kept[i].Reason + "\n";
  }
  const std::uint64_t total = unreadable.Folders() + unreadable.Files();
  if (total > shown) out += "  ... and " + std::to_string(total - shown) + " more\n";
  return out;
}

std::string TextReport(const TFolderTree& tree, const TBiggestFileList& biggest,
                       const TReportOptions& options) {
  std::string out;
  const TNodeId root = tree.FirstChild(NoNode);
  if (root == NoNode) return out;
  const TFolderData& r = tree.Data(root);
  const TMeasure m = options.Measure;
  out += r.Path.Str() + "  " + FormatSize(r.Size, 2) + "  (" + Counts(r) + ")  " +
         Trimmed(FormatSize(r.DiskSize, 2)) + " on disk\n\n";
  out += m == TMeasure::Disk ? "       Size      On disk  Share of disk\n"
                             : "       Size      On disk  Share\n";
  WalkTree(tree, root, options.Depth < 0 ? 2 : options.Depth, [&](TNodeId n, int depth) {
    const TFolderData& d = tree.Data(n);
    const TNodeId parent = tree.Parent(n);
    out +=
        FormatSize(d.Size, 2) + "  " + FormatSize(d.DiskSize, 2) + "  " +
        (parent == NoNode ? std::string("      ") : Share(d.Bytes(m), tree.Data(parent).Bytes(m))) +
        "  " + std::string(static_cast<std::size_t>(depth) * 2, ' ') + std::string(d.Name()) + "\n";
  });
  out += m == TMeasure::Disk ? "\n20 Biggest Files (on disk)\n" : "\n20 Biggest Files\n";
  for (std::size_t i = biggest.Count(); i-- > 0;) {
    const TFileTypeData& f = biggest[i];
    out += FormatSize(f.Size, 1) + "  " + FormatSize(f.DiskSize, 1) + "  " + f.Name + "  " +
           NormalizeLocation(options.Style, f.Path.Str(), r.Path.Str()) + "\n";
  }
  if (options.Groups) {
    out += "\nDetail\n";
    for (const TGroupTotal& g : *options.Groups) {
      out += FormatSize(g.Size, 1) + "  " + FormatSize(g.DiskSize, 1) + "  " +
             std::to_string(g.Count) + " files  " + g.Name + "\n";
    }
  }
  return out;
}

std::string JsonReport(const TFolderTree& tree, const TBiggestFileList& biggest,
                       const TReportOptions& options) {
  std::string out;
  const TNodeId root = tree.FirstChild(NoNode);
  const std::string rootText = root == NoNode ? std::string() : tree.Data(root).Path.Str();
  out += "{\"root\":";
  AppendJsonString(out, rootText);
  out += options.AsDrive ? ",\"mode\":\"drive\"" : ",\"mode\":\"folder\"";
  out += ",\"measure\":\"";
  out += MeasureName(options.Measure);
  out += "\",\"tree\":";
  if (root == NoNode) out += "null";
  int openDepth = -1;  // depth of the last node written, to close finished children lists
  if (root != NoNode) {
    WalkTree(tree, root, options.Depth, [&](TNodeId n, int depth) {
      for (; openDepth >= depth; --openDepth) out += "]}";
      if (depth > 0 && out.back() == '}') out += ",";  // a sibling came before
      const TFolderData& d = tree.Data(n);
      out += "{\"name\":";
      AppendJsonString(out, d.Name());
      out += ",\"path\":";
      AppendJsonString(out, d.Path.Str());
      AppendJsonNumberField(out, "size", d.Size);
      AppendJsonNumberField(out, "folders", d.FolderCount);
      AppendJsonNumberField(out, "files", d.FileCount);
      AppendJsonNumberField(out, "disk_bytes", d.DiskSize);
      out += ",\"children\":[";
      openDepth = depth;
    });
    for (; openDepth >= 0; --openDepth) out += "]}";
  }
  out += ",";
  AppendBiggestJson(out, biggest, options, rootText);
  if (options.Groups) {
    out += ",\"groups\":[";
    for (std::size_t i = 0; i < options.Groups->size(); ++i) {
      const TGroupTotal& g = (*options.Groups)[i];
      out += i ? ",{\"id\":" : "{\"id\":";
      out += std::to_string(g.Id) + ",\"name\":";
      AppendJsonString(out, g.Name);
      AppendJsonNumberField(out, "count", static_cast<std::uint64_t>(g.Count));
      AppendJsonNumberField(out, "size", g.Size);
      AppendJsonNumberField(out, "disk_bytes", g.DiskSize);
      out += "}";
    }
    out += "]";
  }
  if (options.Unreadable) AppendUnreadableJson(out, *options.Unreadable);
  out += "}\n";
  return out;
}

std::string QuietReport(const TFolderTree& tree, const TUnreadableList& unreadable) {
  const TNodeId root = tree.FirstChild(NoNode);
  std::string out = "size=0 files=0 folders=0";
  if (root != NoNode) {
    const TFolderData& r = tree.Data(root);
    out = "size=" + std::to_string(r.Size) + " files=" + std::to_string(r.FileCount) +
          " folders=" + std::to_string(r.FolderCount);
  }
  out += " unreadable=" + std::to_string(unreadable.Folders());
  if (unreadable.Files() > 0) out += " unmeasured=" + std::to_string(unreadable.Files());
  // Last, so that scripts reading the fields by position keep working.
  out += " disk=" + std::to_string(root == NoNode ? 0 : tree.Data(root).DiskSize);
  return out + "\n";
}

}  // namespace Vellumetric

namespace Vellumetric {
namespace {

void AppendSectionsJson(std::string& out, const TSummaryTree& tree) {
  out += "[";
  for (TNodeId s = tree.FirstChild(NoNode); s != NoNode; s = tree.NextSibling(s)) {
    if (s != tree.FirstChild(NoNode)) out += ",";
    out += "{\"name\":";
    AppendJsonString(out, tree.Name(s));
    AppendJsonNumberField(out, "size", tree.Size(s));
    out += ",\"entries\":[";
    for (TNodeId c = tree.FirstChild(s); c != NoNode; c = tree.NextSibling(c)) {
      out += c == tree.FirstChild(s) ? "{\"name\":" : ",{\"name\":";
      AppendJsonString(out, tree.Name(c));
      out += ",\"location\":";
      AppendJsonString(out, tree.Location(c));
      AppendJsonNumberField(out, "size", tree.Size(c));
      AppendAccessFields(out, tree.LastAccess(c));
      out += "}";
    }
    out += "]}";
  }
  out += "]";
}

void AppendSectionsText(std::string& out, const TSummaryTree& tree) {
  for (TNodeId s = tree.FirstChild(NoNode); s != NoNode; s = tree.NextSibling(s)) {
    out += FormatSize(tree.Size(s), 1) + "  " + std::string(tree.Name(s)) + "\n";
    for (TNodeId c = tree.FirstChild(s); c != NoNode; c = tree.NextSibling(c)) {
      out += FormatSize(tree.Size(c), 1) + "    " + std::string(tree.Name(c)) + "  " +
             tree.Location(c) + "\n";
    }
  }
}

}  // namespace

std::string SummaryTextReport(const std::string& root, const TSummaryTree& general,
                              const TSummaryTree& detail) {
  std::string out = root + "\n\nGeneral\n";
  AppendSectionsText(out, general);
  out += "\nDetail\n";
  AppendSectionsText(out, detail);
  return out;
}

std::string SummaryJsonReport(const std::string& root, const TSummaryTree& general,
                              const TSummaryTree& detail) {
  std::string out = "{\"root\":";
  AppendJsonString(out, root);
  out += ",\"general\":";
  AppendSectionsJson(out, general);
  out += ",\"detail\":";
  AppendSectionsJson(out, detail);
  out += "}\n";
  return out;
}

}  // namespace Vellumetric
