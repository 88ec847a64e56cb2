#include "export/DuplicateExport.h"

#include <algorithm>

#include "export/CsvText.h"
#include "export/JsonText.h"
#include "system/Formatting.h"

namespace Vellumetric {
namespace {

const char* KindName(TDuplicateKind kind) {
  return kind == TDuplicateKind::Folders ? "folders" : "files";
}

std::string Shown(std::uint64_t size) {
  std::string text = FormatSize(size, 1);
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

void Number(std::string& out, const char* key, std::uint64_t value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += std::to_string(value);
}

}  // namespace

std::string ExportDuplicates(const TDuplicateResult& result, std::size_t top,
                             const TFileRecordStore& files, const TFolderTree& tree,
                             std::string_view sourcePath, const TExportOptions& options) {
  const std::size_t shown = top == 0 ? result.Groups.size() : std::min(top, result.Groups.size());
  if (options.Format == TExportFormat::Csv) {
    TCsvText csv(
        {"group", "kind", "size_bytes", "size", "disk_bytes", "wasted_bytes", "copy", "path"});
    for (std::size_t i = 0; i < shown; ++i) {
      const TDuplicateGroup& g = result.Groups[i];
      const auto members = result.MembersOf(g);
      for (std::uint32_t m = 0; m < members.size(); ++m) {
        csv.Field(i + 1).Field(KindName(g.Kind)).Field(g.Size).Field(Shown(g.Size));
        csv.Field(g.DiskBytes).Field(g.Wasted).Field(std::uint64_t{m} + 1);
        csv.Field(DuplicateMemberPath(g, members[m], files, tree, options.Style));
        csv.EndRow();
      }
    }
    return csv.Text();
  }
  std::string json = "{\"root\":";
  AppendJsonString(json, sourcePath);
  json += ",\"groups\":[";
  for (std::size_t i = 0; i < shown; ++i) {
    const TDuplicateGroup& g = result.Groups[i];
    json += i ? ",{\"kind\":\"" : "{\"kind\":\"";
    json += KindName(g.Kind);
    json += '"';
    Number(json, "size", g.Size);
    Number(json, "disk_bytes", g.DiskBytes);
    Number(json, "wasted", g.Wasted);
    json += ",\"paths\":[";
    const auto members = result.MembersOf(g);
    for (std::size_t m = 0; m < members.size(); ++m) {
      if (m) json += ',';
      AppendJsonString(json, DuplicateMemberPath(g, members[m], files, tree, options.Style));
    }
    json += "]}";
  }
  json += ']';
  Number(json, "group_count", result.Groups.size());
  Number(json, "copies", result.Copies);
  Number(json, "left_out", result.LeftOut);
  Number(json, "online_only", result.OnlineOnly);
  Number(json, "wasted", result.Wasted);
  return json + "}\n";
}

}  // namespace Vellumetric
