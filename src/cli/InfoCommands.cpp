#include "cli/InfoCommands.h"

#include <cstdio>
#include <string>

#include "export/JsonText.h"
#include "system/InfoPageRows.h"
#include "system/ProductVersion.h"
#include "system/StringTable.h"
#include "system/SystemFolders.h"
#include "system/SystemInfo.h"
#include "system/TApplicationInfo.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfo.h"

namespace Vellumetric {
namespace {

// The tile's third line, read now rather than from the disk list: whole GiB, rounded down.
std::string TileLine(const TVolumeFacts& facts) {
  return std::to_string(facts.UserFreeBytes >> 30) + " GB free of " +
         std::to_string(facts.TotalBytes >> 30) + " GB";
}

void AppendPageJson(std::string& out, const std::vector<TInfoPageRow>& rows) {
  out += "\"page\":[";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    out += i ? ",{\"field\":" : "{\"field\":";
    AppendJsonString(out, rows[i].Field);
    out += ",\"value\":";
    AppendJsonString(out, rows[i].Value);
    out +=
        ",\"image\":" + (rows[i].Image < 0 ? std::string("null") : std::to_string(rows[i].Image));
    out += ",\"indent\":" + std::to_string(rows[i].Indent) + "}";
  }
  out += "]";
}

void AppendDriveJson(std::string& out, const TDiskInfo& disk, const TVolumeFacts& facts) {
  out += "{\"name\":";
  AppendJsonString(out, disk.Name);
  out += ",\"root\":";
  AppendJsonString(out, disk.RootPath);
  out += ",\"file_system\":";
  AppendJsonString(out, facts.FileSystem);
  out += ",\"total_bytes\":" + std::to_string(facts.TotalBytes);
  out += ",\"free_bytes\":" + std::to_string(facts.UserFreeBytes);
  out += ",\"tile\":";
  AppendJsonString(out, TileLine(facts));
  out += ",";
  AppendPageJson(out, DrivePageRows(FormatDriveInfo(disk.RootPath, facts)));
  out += "}";
}

void AppendDriveText(std::string& out, const TDiskInfo& disk, const TVolumeFacts& facts) {
  out += disk.Name + "\n  " + facts.FileSystem + "\n  " + TileLine(facts) + "\n\n";
  for (const TInfoPageRow& row : DrivePageRows(FormatDriveInfo(disk.RootPath, facts))) {
    if (row.Field.empty()) {
      out += "\n";
      continue;
    }
    std::string field = std::string(static_cast<std::size_t>(row.Indent) * 2 + 2, ' ') + row.Field;
    if (field.size() < 44) field.resize(44, ' ');
    out += field + " " + row.Value + "\n";
  }
  out += "\n";
}

}  // namespace

int RunDrivesCommand(bool json) {
  TDiskList disks;
  BuildDiskList(disks);
  std::string out = json ? "{\"drives\":[" : "";
  for (std::size_t i = 0; i < disks.size(); ++i) {
    const TVolumeFacts facts = QueryVolumeFacts(disks[i].RootPath);
    if (json) {
      if (i) out += ",";
      AppendDriveJson(out, disks[i], facts);
    } else {
      AppendDriveText(out, disks[i], facts);
    }
  }
  if (json) out += "]}\n";
  if (!json && disks.empty()) out = "No fixed drives found.\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int RunVersionCommand() {
  const TProductInfo* product = FindProduct(VellumetricProductIndex);
  const std::string text = (product ? product->FullName : std::string()) + "\n" +
                           LoadResStringFmt(IDS_VERSION, "1.2.0") + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

int RunAboutCommand() {
  TWindowsInfo system;
  std::string windowsFolder;
  GatherSystemInfo(system, windowsFolder);
  const TProductInfo* product = FindProduct(VellumetricProductIndex);
  const std::string text = (product ? product->FullName : std::string()) + "\n" +
                           LoadResStringFmt(IDS_VERSION, VellumetricVersion) + "\n" +
                           system.ProductName + " " + system.Edition + "\n" +
                           PhysicalMemoryText(GetTotalPhysicalMemoryMB()) + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

}  // namespace Vellumetric
