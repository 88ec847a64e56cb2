// The Win32 back end on a real (or Wine's) Windows: drives, registry, folders and listing.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "TScanHarness.h"
#include "TTempDir.h"
#include "filetypes/DefaultFileTypes.h"
#include "model/VLMMessages.h"
#include "scan/TVLMDiskAnalyzerThread.h"
#include "system/NativePlatform.h"
#include "system/PathRules.h"
#include "system/SystemFolders.h"
#include "system/SystemInfo.h"
#include "system/TApplicationInfo.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfo.h"
#include "system/TextEncoding.h"
#include "system/win32/WideText.h"
#include "system/win32/WindowsVersion.h"

namespace Vellumetric {
namespace {

using Testing::TTempDir;

using TScan = Testing::TScanHarness;

// A drive letter mapped onto a test folder for the length of a test.
class TMappedDrive {
 public:
  explicit TMappedDrive(const std::string& target) {
    for (wchar_t letter = L'T'; letter >= L'K'; --letter) {
      const std::wstring drive = std::wstring(1, letter) + L":";
      if (GetDriveTypeW((drive + L"\\").c_str()) != DRIVE_NO_ROOT_DIR) continue;
      if (DefineDosDeviceW(0, drive.c_str(), Widen(target).c_str())) {
        Drive = Narrow(drive);
        return;
      }
    }
  }
  ~TMappedDrive() {
    if (!Drive.empty()) DefineDosDeviceW(DDD_REMOVE_DEFINITION, Widen(Drive).c_str(), nullptr);
  }
  std::string Drive;
};

void MakeSampleTree(const std::string& root) {
  std::filesystem::create_directories(Utf8Path(root + "/Data/\xe5\x86\x99\xe7\x9c\x9f"));
  std::ofstream(Utf8Path(root + "/Data/\xe5\x86\x99\xe7\x9c\x9f/a.jpg"), std::ios::binary)
      << std::string(1000, 'x');
  std::ofstream(Utf8Path(root + "/top.txt"), std::ios::binary) << "hello";
}

TEST(Win32BackEnd, DriveAndFolderRootsKeepThePathsAsWritten) {
  TTempDir tmp;
  MakeSampleTree(tmp.Path());
  TMappedDrive mapped(tmp.Path());
  ASSERT_FALSE(mapped.Drive.empty()) << "no free drive letter could be mapped";

  TScan drive;
  drive.Run(mapped.Drive, true);
  const TNodeId root = drive.Tree.FirstChild(NoNode);
  EXPECT_EQ(drive.Tree.Data(root).Name, mapped.Drive);
  EXPECT_EQ(drive.Tree.Data(root).Kind, 2);
  EXPECT_EQ(drive.FirstChildPath(root), mapped.Drive + "\\Data");
  EXPECT_EQ(drive.Tree.Data(root).FileCount, 2u);
  EXPECT_EQ(drive.Tree.Data(root).Size, 1005u);  // directory entries count 0 bytes here
  ASSERT_EQ(drive.Typed.size(), 2u);

  TScan folder;
  folder.Run(mapped.Drive + "\\", false);
  const TNodeId froot = folder.Tree.FirstChild(NoNode);
  EXPECT_EQ(folder.Tree.Data(froot).Name, "");
  EXPECT_EQ(folder.FirstChildPath(froot), mapped.Drive + "\\\\Data");
  EXPECT_EQ(NormalizeLocation(TPathStyle::Windows, folder.FirstChildPath(froot), ""),
            mapped.Drive + "\\Data");
  const TNodeId data = folder.Tree.FirstChild(froot);
  EXPECT_EQ(folder.Tree.Data(folder.Tree.FirstChild(data)).Name, "\xe5\x86\x99\xe7\x9c\x9f");
}

TEST(Win32BackEnd, InstallFolderFromTheRegistry) {
  const wchar_t* kKey = L"SOFTWARE\\Quendrix Vellumetric";
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
  EXPECT_EQ(GetInstallFolder(), GetCurrentFolder());  // no key: the current folder

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(GetInstallFolder(), "");  // the key without "Path"
  TApplicationInfo info;
  std::string message;
  EXPECT_FALSE(info.Init(VellumetricProductIndex, "1.2.0", 6, message));
  EXPECT_EQ(message,
            "Cannot read application path. Reinstall your copy of Quendrix Vellumetric to solve "
            "the problem.");

  const std::wstring path = Widen(GetCurrentFolder());
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  EXPECT_EQ(GetInstallFolder(), GetCurrentFolder());
  EXPECT_TRUE(info.Init(VellumetricProductIndex, "1.2.0", 6, message)) << message;
  EXPECT_TRUE(DirectoryExists(info.BackupFolder()));
  EXPECT_NE(info.DataFolder().find("\\Quendrix Vellumetric"), std::string::npos);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
}

TEST(Win32BackEnd, OnlyFixedDrivesAreListedWithTheirSerials) {
  TDiskList disks;
  BuildDiskList(disks);
  ASSERT_FALSE(disks.empty());
  char previous = 0;
  for (const TDiskInfo& d : disks) {
    EXPECT_EQ(GetDriveTypeW(Widen(d.RootPath).c_str()), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(d.RootPath, std::string(1, d.Letter) + ":\\");
    EXPECT_GT(d.Letter, previous);
    previous = d.Letter;
    EXPECT_EQ(d.Name.substr(d.Name.size() - 6), std::string(" (") + d.Letter + ":\\)");
  }
  const TDriveInfo c = GatherDriveInfo("C:\\");
  EXPECT_TRUE(std::regex_match(c.SerialNumber, std::regex("[0-9A-F]{4}-[0-9A-F]{4}")))
      << c.SerialNumber;
  EXPECT_FALSE(c.FileSystem.empty());
}

TEST(Win32BackEnd, SystemDescriptionFollowsTheNamingRules) {
  const TWindowsVersionRecord record = ReadWindowsVersionRecord();
  EXPECT_NE(record.Source, TWindowsVersionRecord::TSource::None);
  EXPECT_EQ(record.PlatformId, 2u);
  TWindowsInfo info;
  std::string windowsFolder;
  GatherSystemInfo(info, windowsFolder);
  const TWindowsInfo expected = DescribeWindows(record);
  EXPECT_EQ(info.ProductName, expected.ProductName);
  EXPECT_EQ(info.Edition, expected.Edition);
  EXPECT_EQ(info.VersionClass, expected.VersionClass);
  EXPECT_TRUE(DirectoryExists(windowsFolder)) << windowsFolder;
  std::printf("Windows %u.%u, product type %u: \"%s\" \"%s\"\n", record.Major, record.Minor,
              record.ProductInfoType, info.ProductName.c_str(), info.Edition.c_str());
}

TEST(Win32BackEnd, SpecialFoldersAndMemory) {
  EXPECT_TRUE(DirectoryExists(GetAppDataFolder()));
  EXPECT_TRUE(DirectoryExists(GetProfileFolder()));
  EXPECT_GT(GetTotalPhysicalMemoryMB(), 0u);
  EXPECT_EQ(JoinNativePath("C:\\x", "y"), "C:\\x\\y");
}

}  // namespace
}  // namespace Vellumetric
