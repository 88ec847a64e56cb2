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
#include "system/TContentSource.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfo.h"
#include "system/TextEncoding.h"
#include "system/win32/TWin32DirectoryLister.h"
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

// Wine's ntdll answers to wine_get_version; Windows' does not.
bool RunningOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

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
  if (GetDriveTypeW(Widen(mapped.Drive + "\\").c_str()) == DRIVE_NO_ROOT_DIR && RunningOnWine()) {
    GTEST_SKIP() << "Wine maps " << mapped.Drive << " (QueryDosDevice lists it) but opens no path "
                 << "on it: it finds drive letters only in the prefix's dosdevices folder";
  }

  TScan drive;
  drive.Run(mapped.Drive, true);
  const TNodeId root = drive.Tree.FirstChild(NoNode);
  ASSERT_NE(root, NoNode);
  ASSERT_NE(drive.Tree.FirstChild(root), NoNode) << "nothing listed on " << mapped.Drive;
  EXPECT_EQ(drive.Tree.Data(root).Name(), mapped.Drive);
  EXPECT_EQ(drive.Tree.Data(root).Kind, 2);
  EXPECT_EQ(drive.FirstChildPath(root), mapped.Drive + "\\Data");
  EXPECT_EQ(drive.Tree.Data(root).FileCount, 2u);
  EXPECT_EQ(drive.Tree.Data(root).Size, 1005u);  // directory entries count 0 bytes here
  ASSERT_EQ(drive.Typed.Count(), 2u);

  TScan folder;
  folder.Run(mapped.Drive + "\\", false);
  const TNodeId froot = folder.Tree.FirstChild(NoNode);
  ASSERT_NE(froot, NoNode);
  ASSERT_NE(folder.Tree.FirstChild(froot), NoNode) << "nothing listed on " << mapped.Drive << "\\";
  EXPECT_EQ(folder.Tree.Data(froot).Name(), "");
  EXPECT_EQ(folder.FirstChildPath(froot), mapped.Drive + "\\\\Data");
  EXPECT_EQ(NormalizeLocation(TPathStyle::Windows, folder.FirstChildPath(froot), ""),
            mapped.Drive + "\\Data");
  const TNodeId data = folder.Tree.FirstChild(froot);
  ASSERT_NE(folder.Tree.FirstChild(data), NoNode);
  EXPECT_EQ(folder.Tree.Data(folder.Tree.FirstChild(data)).Name(), "\xe5\x86\x99\xe7\x9c\x9f");
}

// Folder links back onto the walked path, the root's own parent included, are counted but not
// followed: with long paths nothing else would end the loop. Any thread count gives the same.
// The tree is F holding a.bin (500 bytes), up -> .. and inner\back -> ..; scripts/test-windows
// makes it as Unix symbolic links, which Wine shows as folder reparse points, and names it in
// VLM_LINK_FIXTURE (Wine's own CreateSymbolicLinkW makes nothing); elsewhere the test makes it.
TEST(Win32BackEnd, FolderLinksOntoTheWalkedPathAreCountedButNotEntered) {
  TTempDir tmp;
  std::string folder = tmp.Path() + "\\F";
  const wchar_t* fixture = _wgetenv(L"VLM_LINK_FIXTURE");
  if (fixture && *fixture) {
    folder = Narrow(fixture);
  } else {
    std::filesystem::create_directories(Utf8Path(folder + "\\inner"));
    std::ofstream(Utf8Path(folder + "\\a.bin"), std::ios::binary) << std::string(500, 'x');
    for (const char* link : {"\\up", "\\inner\\back"}) {
      if (!CreateSymbolicLinkW(Widen(folder + link).c_str(), L"..",
                               SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2 /* unprivileged create */)) {
        GTEST_SKIP() << "this system makes no folder links for this user";
      }
    }
  }
  const DWORD attributes = GetFileAttributesW(Widen(folder + "\\up").c_str());
  ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
              (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
      << folder;
  for (int threads : {1, 4}) {
    TScan scan;
    scan.Threads = threads;
    scan.Run(folder);
    EXPECT_EQ(scan.Root().FileCount, 1u) << threads;
    EXPECT_EQ(scan.Root().FolderCount, 3u) << threads;  // up, inner and inner\back
    EXPECT_EQ(scan.Root().Size, 500u) << threads;
  }
  if (!fixture || !*fixture) {
    // The test folder's removal must not follow the links.
    RemoveDirectoryW(Widen(folder + "\\inner\\back").c_str());
    RemoveDirectoryW(Widen(folder + "\\up").c_str());
  }
}

// A file's allocation as the system gives it for the open file: the truth the listing's
// allocation must match.
std::uint64_t AllocationOf(const std::string& path) {
  HANDLE file = CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  FILE_STANDARD_INFO info{};
  const bool ok = file != INVALID_HANDLE_VALUE &&
                  GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return ok ? static_cast<std::uint64_t>(info.AllocationSize.QuadPart) : ~std::uint64_t{0};
}

// The listing gives each file's allocation and ID with no call per file; a file with two names
// (one in a subfolder) counts its blocks once, at the name met first, whatever the thread count.
TEST(Win32BackEnd, AllocationComesFromTheListingAndAFileWithTwoNamesCountsOnce) {
  TTempDir tmp;
  std::filesystem::create_directories(Utf8Path(tmp.Path() + "\\sub"));
  std::ofstream(Utf8Path(tmp.Path() + "\\a.bin"), std::ios::binary) << std::string(100000, 'a');
  std::ofstream(Utf8Path(tmp.Path() + "\\c.bin"), std::ios::binary) << std::string(7000, 'c');
  ASSERT_TRUE(CreateHardLinkW(Widen(tmp.Path() + "\\sub\\b.bin").c_str(),
                              Widen(tmp.Path() + "\\a.bin").c_str(), nullptr));
  const std::uint64_t shared = AllocationOf(tmp.Path() + "\\a.bin");
  const std::uint64_t alone = AllocationOf(tmp.Path() + "\\c.bin");
  ASSERT_GT(shared, 0u);
  ASSERT_GT(alone, 0u);
  TWin32DirectoryLister lister;
  ASSERT_TRUE(lister.EnterRoot(tmp.Path(), false));
  EXPECT_FALSE(lister.ListedByFallback()) << "FileIdBothDirectoryInfo was refused here";
  lister.Leave();
  for (int threads : {1, 4}) {
    TScan scan;
    scan.Threads = threads;
    scan.Run(tmp.Path());
    std::uint64_t counted = 0;
    std::uint32_t linked = 0;
    for (TFileId f = 0; f < scan.Records.Count(); ++f) {
      const std::string_view name = scan.Records.Name(f);
      const std::uint64_t disk = scan.Records.DiskSize(f);
      if (name == "c.bin") {
        EXPECT_EQ(disk, alone);
      }
      if (name == "a.bin" || name == "b.bin") {
        counted += disk;
        EXPECT_NE(scan.Records.DiskFlags(f) & DiskHardLink, 0) << name;
        EXPECT_EQ(scan.Records.HardLink(f).Names, 2u) << name;
        ++linked;
      }
    }
    EXPECT_EQ(linked, 2u) << threads;
    EXPECT_EQ(counted, shared) << threads;
    EXPECT_EQ(scan.Root().Size, 207000u) << threads;  // Size keeps every name
  }
}

// Folders far below the old 260-character limit list like any other.
TEST(Win32BackEnd, ChainDeeperThanTheOldPathLimitScansExactly) {
  TTempDir tmp;
  const std::string level(30, 'L');
  std::wstring path = TWin32DirectoryLister::LongPath(tmp.Path());
  std::uint64_t size = 0;
  for (int i = 0; i < 20; ++i) {  // 20 levels of 31 characters: over 600 characters
    path += L"\\" + Widen(level);
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << i;
    HANDLE file = CreateFileW((path + L"\\f.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string bytes(static_cast<std::size_t>(i + 1), 'b');
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    size += bytes.size();
  }
  ASSERT_GT(path.size(), 600u);
  for (int threads : {1, 4}) {
    TScan scan;
    scan.Threads = threads;
    scan.Run(tmp.Path());
    EXPECT_EQ(scan.Root().FileCount, 20u) << threads;
    EXPECT_EQ(scan.Root().FolderCount, 20u) << threads;
    EXPECT_EQ(scan.Root().Size, size) << threads;
  }
  // The test folder's own removal does not cope with such depth: take the chain down here.
  for (int i = 20; i > 0; --i) {
    DeleteFileW((path + L"\\f.dat").c_str());
    RemoveDirectoryW(path.c_str());
    path.resize(path.size() - level.size() - 1);
  }
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

namespace Vellumetric {
namespace {

// What the duplicate search reads through: two names of one file are one identity, a copy is
// another; a read gives the bytes written and stops at the end; a file marked offline (the
// state of a cloud file whose bytes are elsewhere) is never opened.
TEST(Win32BackEnd, ContentSourceIdentifiesReadsAndSkipsOfflineFiles) {
  TTempDir tmp;
  const std::string a = tmp / "a.bin";
  std::ofstream(std::filesystem::path(Widen(a)), std::ios::binary)
      << std::string(10000, 'x') << "end";
  ASSERT_TRUE(CreateHardLinkW(Widen(tmp / "link.bin").c_str(), Widen(a).c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(Widen(a).c_str(), Widen(tmp / "copy.bin").c_str(), TRUE));
  const auto source = CreateContentSource();
  std::unique_ptr<TOpenFile> first, link, copy;
  ASSERT_EQ(source->Open(a, first), TOpenOutcome::Opened);
  ASSERT_EQ(source->Open(tmp / "link.bin", link), TOpenOutcome::Opened);
  ASSERT_EQ(source->Open(tmp / "copy.bin", copy), TOpenOutcome::Opened);
  EXPECT_EQ(first->Identity(), link->Identity());
  EXPECT_NE(first->Identity(), copy->Identity());
  EXPECT_EQ(copy->OpenedStamp().Size, 10003u);
  std::string bytes(8, '\0');
  EXPECT_EQ(copy->ReadAt(9998, std::as_writable_bytes(std::span(bytes))), 5);
  EXPECT_EQ(bytes.substr(0, 5), "xxend");
  std::unique_ptr<TOpenFile> none;
  EXPECT_EQ(source->Open(tmp / "missing.bin", none), TOpenOutcome::Vanished);
  EXPECT_EQ(source->Open(tmp.Path(), none), TOpenOutcome::NotRegular);
  const std::wstring cloud = Widen(tmp / "cloud.bin");
  std::ofstream(std::filesystem::path(cloud)) << "here";
  if (!SetFileAttributesW(cloud.c_str(), FILE_ATTRIBUTE_OFFLINE) ||
      (GetFileAttributesW(cloud.c_str()) & FILE_ATTRIBUTE_OFFLINE) == 0) {
    GTEST_SKIP() << "this system does not keep the offline attribute";
  }
  EXPECT_EQ(source->Open(tmp / "cloud.bin", none), TOpenOutcome::OnlineOnly);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace Vellumetric
