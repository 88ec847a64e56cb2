#include "system/TApplicationInfo.h"

#include <array>

#include "system/StringTable.h"
#include "system/SystemFolders.h"

namespace Vellumetric {
namespace {

TProductInfo Row(const char* name, const char* shortName, const char* description) {
  return {std::string("SOFTWARE\\") + name,
          name,
          name,
          shortName,
          shortName,
          description,
          "Quendrix Software",
          "https://www.quendrix.example",
          "2009-2026"};
}

}  // namespace

const TProductInfo* FindProduct(int index) {
  // The maker's other products share the table; only row 3 is this program.
  static const std::array<TProductInfo, 5> kProducts = {
      Row("Quendrix Gildercase", "Gildercase", "The Quendrix utility suite"),
      Row("Quendrix Tallowmere", "Tallowmere", "Find and remove duplicate files"),
      Row("Quendrix Orrery", "Orrery", "System information at a glance"),
      Row("Quendrix Vellumetric", "Vellumetric",
          "Find out which Files or Folders are Taking-up the Most Space of Your Hard-disk "),
      Row("Quendrix Sablewick", "Sablewick", "Secure file shredder")};
  if (index < 0 || static_cast<std::size_t>(index) >= kProducts.size()) return nullptr;
  return &kProducts[static_cast<std::size_t>(index)];
}

bool TApplicationInfo::Init(int productIndex, std::string_view version, int number,
                            std::string& message) {
  VersionText = std::string(version);
  Number = number;
  if (const TProductInfo* row = FindProduct(productIndex)) Row = *row;
  const auto fail = [&] {
    message = LoadResStringFmt(IDS_CANNOT_READ_APP_PATH, Row.FullName);
    return false;
  };
  Install = GetInstallFolder();
  if (!DirectoryExists(Install)) return fail();

  // Without a home there is no data folder: never fall back to a folder at the file-system root.
  const std::string appData = GetAppDataFolder();
  if (appData.empty() || !CreateFolderPath(appData)) return fail();
  Data = JoinNativePath(appData, Row.FullName);
  CreateFolder(Data);
  const std::string backup = JoinNativePath(Data, "Backup");
  if (!CreateFolder(backup)) return fail();
  Backup = backup;
  const std::string temp = JoinNativePath(Data, "Temp");
  if (!CreateFolder(temp)) return fail();
  Temp = temp;
  return true;
}

std::string TApplicationInfo::BackupFolder() const {
  if (!Backup.empty() && DirectoryExists(Backup)) return Backup;
  const std::string fallback = JoinNativePath(GetCurrentFolder(), "Backup");
  if (CreateFolder(fallback)) return fallback;
  return {};
}

}  // namespace Vellumetric

namespace Vellumetric {

TApplicationInfo& ApplicationInfo() {
  static TApplicationInfo info;
  return info;
}

bool InitApplicationInfo(int productIndex, std::string_view version, int number,
                         std::string& message) {
  return ApplicationInfo().Init(productIndex, version, number, message);
}

std::string GetBackupFolder() {
  return ApplicationInfo().BackupFolder();
}

}  // namespace Vellumetric
