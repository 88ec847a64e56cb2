#include "export/ExportTables.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "export/CsvText.h"
#include "export/JsonText.h"
#include "model/WalkTree.h"
#include "system/AtomicFile.h"
#include "system/Formatting.h"
#include "system/NativePlatform.h"
#include "system/TimeText.h"

namespace Vellumetric {
namespace {

constexpr std::uint64_t kUnixEpochFileTime = 116444736000000000ULL;
constexpr std::uint64_t kFileTimesPerSecond = 10000000ULL;

// Sizes as the program shows them, without the padding that lines them up in a column.
std::string SizeShown(std::uint64_t size, int decimals) {
  std::string text = FormatSize(size, decimals);
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

std::string Percent(std::uint64_t part, std::uint64_t whole) {
  if (whole == 0) return "0.0";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f",
                static_cast<double>(static_cast<long double>(part) * 100 / whole));
  return text;
}

// A raw file time is known when the system gave one; a summary file may hold -1 for none.
bool Known(std::uint64_t fileTime) {
  return fileTime != 0 && fileTime < (1ULL << 63);
}

std::string IsoTime(std::int64_t unixSeconds, const TExportOptions& options) {
  const std::int32_t offset =
      options.UtcOffset ? options.UtcOffset(unixSeconds) : LocalUtcOffset(unixSeconds);
  return FormatIso8601(unixSeconds, offset);
}

void AppendNumber(std::string& out, const char* key, std::uint64_t value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

void AppendText(std::string& out, const char* key, std::string_view value) {
  out += ",\"";
  out += key;
  out += "\":";
  AppendJsonString(out, value);
}

// "last_access" (raw file time) and "last_access_unix", as every JSON of the program has them.
void AppendAccessTimes(std::string& out, std::uint64_t fileTime) {
  if (!Known(fileTime)) {
    out += ",\"last_access\":null,\"last_access_unix\":null";
    return;
  }
  AppendNumber(out, "last_access", fileTime);
  out += ",\"last_access_unix\":";
  out += std::to_string(FileTimeToUnixSeconds(fileTime));
}

std::uint64_t FileTimeOf(std::int64_t unixSeconds) {
  if (unixSeconds == TFileRecordStore::NoAccessTime) return 0;
  return static_cast<std::uint64_t>(unixSeconds) * kFileTimesPerSecond + kUnixEpochFileTime;
}

std::string FilePath(const TPathText& folder, std::string_view name, TPathStyle style) {
  std::string path = folder.Str();
  path += ChildSeparator(style, folder.Back());
  path += name;
  return path;
}

std::string FolderTreeCsv(const TFolderTree& tree, TNodeId root, const TExportOptions& options) {
  TCsvText csv({"path", "name", "depth", "size_bytes", "size", "files", "folders",
                "share_of_parent_percent", "disk_bytes"});
  const TMeasure m = options.Measure;
  WalkTree(tree, root, options.Depth, [&](TNodeId n, int depth) {
    const TFolderData& d = tree.Data(n);
    const TNodeId parent = n == root ? NoNode : tree.Parent(n);
    csv.Field(d.Path.Str()).Field(d.Name()).Field(static_cast<std::uint64_t>(depth));
    csv.Field(d.Size).Field(SizeShown(d.Size, 2)).Field(d.FileCount).Field(d.FolderCount);
    csv.Field(parent == NoNode ? std::string() : Percent(d.Bytes(m), tree.Data(parent).Bytes(m)));
    csv.Field(d.DiskSize);
    csv.EndRow();
  });
  return csv.Text();
}

std::string FolderTreeJson(const TFolderTree& tree, TNodeId root, const TExportOptions& options) {
  std::string out = "{\"root\":";
  AppendJsonString(out, tree.Data(root).Path.Str());
  out += ",\"tree\":";
  int openDepth = -1;  // depth of the last folder written, to close finished children lists
  WalkTree(tree, root, options.Depth, [&](TNodeId n, int depth) {
    for (; openDepth >= depth; --openDepth) out += "]}";
    if (depth > 0 && out.back() == '}') out += ",";  // a sibling came before
    const TFolderData& d = tree.Data(n);
    out += "{\"name\":";
    AppendJsonString(out, d.Name());
    AppendText(out, "path", d.Path.Str());
    AppendNumber(out, "size", d.Size);
    AppendText(out, "size_text", SizeShown(d.Size, 2));
    AppendNumber(out, "files", d.FileCount);
    AppendNumber(out, "folders", d.FolderCount);
    out += ",\"share_of_parent\":";
    out += n == root ? "null"
                     : Percent(d.Bytes(options.Measure),
                               tree.Data(tree.Parent(n)).Bytes(options.Measure));
    AppendNumber(out, "disk_bytes", d.DiskSize);
    out += ",\"children\":[";
    openDepth = depth;
  });
  for (; openDepth >= 0; --openDepth) out += "]}";
  return out + "}\n";
}

}  // namespace

std::string ExportFolderTree(const TFolderTree& tree, TNodeId root, const TExportOptions& options) {
  if (root == NoNode) {
    return options.Format == TExportFormat::Csv ? TCsvText({"path"}).Text() : "{\"tree\":null}\n";
  }
  return options.Format == TExportFormat::Csv ? FolderTreeCsv(tree, root, options)
                                              : FolderTreeJson(tree, root, options);
}

std::string ExportBiggestFiles(const TBiggestFileList& biggest, std::string_view sourcePath,
                               const TExportOptions& options) {
  const bool csvForm = options.Format == TExportFormat::Csv;
  TCsvText csv({"name", "location", "path", "size_bytes", "size", "last_access", "disk_bytes"});
  std::string json = "{\"biggest\":[";
  for (std::size_t i = biggest.Count(); i-- > 0;) {
    const TFileTypeData& f = biggest[i];
    const std::string location = NormalizeLocation(options.Style, f.Path.Str(), sourcePath);
    const std::string path = FilePath(f.Path, f.Name, options.Style);
    if (csvForm) {
      csv.Field(f.Name).Field(location).Field(path).Field(f.Size).Field(SizeShown(f.Size, 1));
      csv.Field(Known(f.LastAccess) ? IsoTime(FileTimeToUnixSeconds(f.LastAccess), options)
                                    : std::string());
      csv.Field(f.DiskSize);
      csv.EndRow();
      continue;
    }
    json += i + 1 < biggest.Count() ? ",{\"name\":" : "{\"name\":";
    AppendJsonString(json, f.Name);
    AppendText(json, "location", location);
    AppendText(json, "path", path);
    AppendNumber(json, "size", f.Size);
    AppendText(json, "size_text", SizeShown(f.Size, 1));
    AppendAccessTimes(json, f.LastAccess);
    AppendNumber(json, "disk_bytes", f.DiskSize);
    json += "}";
  }
  return csvForm ? csv.Text() : json + "]}\n";
}

std::string ExportDetailGroups(const TSummaryTree& detail, const TExportOptions& options) {
  struct TRow {
    std::string Name;
    std::uint64_t Files;
    std::uint64_t Size;
    std::uint64_t Disk;
    [[nodiscard]] std::uint64_t Bytes(TMeasure m) const {
      return m == TMeasure::Disk ? Disk : Size;
    }
  };
  std::vector<TRow> rows;
  std::uint64_t total = 0;
  for (TNodeId g = detail.FirstChild(NoNode); g != NoNode; g = detail.NextSibling(g)) {
    // Group nodes carry the group image (0); a file whose group has no node stands among them
    // with the file image.
    if (detail.ImageIndex(g) != 0) continue;
    std::uint64_t files = 0;
    for (TNodeId f = detail.FirstChild(g); f != NoNode; f = detail.NextSibling(f)) ++files;
    std::string name(detail.Name(g));
    std::string count(" (");
    count.append(std::to_string(files)).push_back(')');
    if (name.size() > count.size() && name.ends_with(count))
      name.resize(name.size() - count.size());
    rows.push_back({std::move(name), files, detail.Size(g), detail.Disk(g).Bytes});
    total += detail.Bytes(g, options.Measure);
  }
  if (options.Format == TExportFormat::Csv) {
    TCsvText csv({"group", "files", "size_bytes", "size", "share_percent", "disk_bytes"});
    for (const TRow& r : rows) {
      csv.Field(r.Name).Field(r.Files).Field(r.Size).Field(SizeShown(r.Size, 1));
      csv.Field(Percent(r.Bytes(options.Measure), total));
      csv.Field(r.Disk);
      csv.EndRow();
    }
    return csv.Text();
  }
  std::string json = "{\"groups\":[";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    json += i ? ",{\"name\":" : "{\"name\":";
    AppendJsonString(json, rows[i].Name);
    AppendNumber(json, "files", rows[i].Files);
    AppendNumber(json, "size", rows[i].Size);
    AppendText(json, "size_text", SizeShown(rows[i].Size, 1));
    json += ",\"share\":";
    json += Percent(rows[i].Bytes(options.Measure), total);
    AppendNumber(json, "disk_bytes", rows[i].Disk);
    json += "}";
  }
  return json + "]}\n";
}

std::string ExportFoundFiles(const TFindResult& found, const TFileRecordStore& files,
                             const TFolderTree& tree, const TFileExtDescList& groups,
                             std::string_view sourcePath, const TExportOptions& options) {
  const auto groupName = [&groups](std::int32_t id) -> std::string_view {
    for (const TFileExtDescData& g : groups) {
      if (g.ID == id) return g.Desc;
    }
    return {};
  };
  if (options.Format == TExportFormat::Csv) {
    TCsvText csv({"path", "name", "size_bytes", "size", "group", "last_access", "disk_bytes"});
    for (const TFoundFile& f : found.Files) {
      const std::int64_t access = files.LastAccess(f.Id);
      csv.Field(FoundFilePath(files, tree, options.Style, f.Id))
          .Field(files.Name(f.Id))
          .Field(f.Size)
          .Field(SizeShown(f.Size, 1));
      csv.Field(groupName(files.Group(f.Id)));
      csv.Field(access == TFileRecordStore::NoAccessTime ? std::string()
                                                         : IsoTime(access, options));
      csv.Field(files.DiskSize(f.Id));
      csv.EndRow();
    }
    return csv.Text();
  }
  std::string json = "{\"root\":";
  AppendJsonString(json, sourcePath);
  AppendNumber(json, "count", found.Count);
  AppendNumber(json, "bytes", found.Bytes);
  json += ",\"files\":[";
  for (std::size_t i = 0; i < found.Files.size(); ++i) {
    const TFoundFile& f = found.Files[i];
    json += i ? ",{\"path\":" : "{\"path\":";
    AppendJsonString(json, FoundFilePath(files, tree, options.Style, f.Id));
    AppendText(json, "name", files.Name(f.Id));
    AppendNumber(json, "size", f.Size);
    AppendText(json, "size_text", SizeShown(f.Size, 1));
    const std::int32_t group = files.Group(f.Id);
    if (group == TFileRecordStore::NoGroup) {
      json += ",\"group\":null";
    } else {
      AppendText(json, "group", groupName(group));
    }
    AppendAccessTimes(json, FileTimeOf(files.LastAccess(f.Id)));
    AppendNumber(json, "disk_bytes", files.DiskSize(f.Id));
    json += "}";
  }
  return json + "]}\n";
}

bool WriteExportFile(const std::string& path, std::string_view bytes, TPathStyle style,
                     std::string& error) {
  const std::string_view name = LastComponent(style, path);
  if (name.empty()) {
    error.assign("no file name in ").append(path);
    return false;
  }
  std::string folder = path.substr(0, path.size() - name.size());
  if (folder.empty()) folder.assign(1, '.');  // not = ".": GCC 12 -O3 false -Wrestrict
  return ReplaceFileAtomically(folder, std::string(name), bytes, error);
}

}  // namespace Vellumetric
