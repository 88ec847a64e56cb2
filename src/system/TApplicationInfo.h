#pragma once

#include <string>
#include <string_view>

namespace Vellumetric {

// One row of the maker's product table.
struct TProductInfo {
  std::string RegistryKey;  // under HKEY_LOCAL_MACHINE
  std::string FullName;
  std::string DisplayName;
  std::string ShortName;
  std::string InternalName;
  std::string Description;
  std::string MakerName;
  std::string MakerWebAddress;
  std::string Years;
};

inline constexpr int VellumetricProductIndex = 3;

// The application information set up at start-up: the product row, the install folder and the
// data folders. The desktop program and the CLI each make one and pass it (or the paths in it)
// to whatever needs them.
class TApplicationInfo {
 public:
  // Selects the product row (an index without a row keeps the previous values), finds the
  // install folder and creates the data folder with its Backup and Temp folders. False with
  // `message` set to string 751 when a folder is missing or cannot be created.
  [[nodiscard]] bool Init(int productIndex, std::string_view version, int number,
                          std::string& message);

  // The Backup folder if it exists, else "Backup" under the current folder (created if needed),
  // else an empty text.
  [[nodiscard]] std::string BackupFolder() const;

  [[nodiscard]] const TProductInfo& Product() const noexcept { return Row; }
  [[nodiscard]] const std::string& Version() const noexcept { return VersionText; }
  [[nodiscard]] const std::string& InstallFolder() const noexcept { return Install; }
  [[nodiscard]] const std::string& DataFolder() const noexcept { return Data; }
  [[nodiscard]] const std::string& TempFolder() const noexcept { return Temp; }

 private:
  TProductInfo Row;
  std::string VersionText;
  int Number = 0;
  std::string Install;
  std::string Data;
  std::string Backup;
  std::string Temp;
};

// The maker's product table; this program is row VellumetricProductIndex.
[[nodiscard]] const TProductInfo* FindProduct(int index);

}  // namespace Vellumetric

namespace Vellumetric {

// The program's one application information, for the windows that call these by name at
// start-up. Engine code never reads it: it is given the folders it needs.
[[nodiscard]] TApplicationInfo& ApplicationInfo();
[[nodiscard]] bool InitApplicationInfo(int productIndex, std::string_view version, int number,
                                       std::string& message);
[[nodiscard]] std::string GetBackupFolder();

}  // namespace Vellumetric
