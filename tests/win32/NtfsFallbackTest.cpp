// The MFT engine's way in on Windows. Wine has no raw NTFS volume, so there the drive scan must
// fall back to listing folders, and say why.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "../scan/TFakeDirectoryLister.h"
#include "system/ntfs/NtfsVolumeSource.h"
#include "system/ntfs/TNtfsEngineLister.h"

namespace Vellumetric {
namespace {

bool RunningOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST(Win32Ntfs, WithoutARawNtfsVolumeTheDriveIsListedAndTheReasonKept) {
  std::string reason;
  EXPECT_EQ(OpenNtfsVolume("C:\\Windows", reason), nullptr);
  EXPECT_EQ(reason, "the master file table serves whole drives only");
  EXPECT_TRUE(DriveRootsAreRawVolumes());
  if (!RunningOnWine()) GTEST_SKIP() << "on Windows the drive may well be readable";

  auto listing = std::make_unique<Testing::TFakeDirectoryLister>(TPathStyle::Windows);
  listing->Add("C:", {{"a.txt", false, 5, 0}});
  auto report = std::make_shared<TScanEngineReport>();
  TNtfsEngineLister lister(TScanEngineChoice::Auto, OpenNtfsVolume, std::move(listing),
                           TPathStyle::Windows, report);
  ASSERT_TRUE(lister.EnterRoot("C:", true));
  TDirEntry entry;
  ASSERT_TRUE(lister.Next(entry));
  EXPECT_EQ(entry.Name, "a.txt");
  EXPECT_FALSE(report->UsedMft);
  EXPECT_FALSE(report->FallbackReason.empty());
  std::printf("Wine's C: drive: %s\n", report->FallbackReason.c_str());

  // Only the MFT asked for: nothing is listed, and the reason stays.
  auto only = std::make_shared<TScanEngineReport>();
  TNtfsEngineLister mft(TScanEngineChoice::Mft, OpenNtfsVolume, nullptr, TPathStyle::Windows, only);
  EXPECT_FALSE(mft.EnterRoot("C:", true));
  EXPECT_FALSE(only->FallbackReason.empty());
}

}  // namespace
}  // namespace Vellumetric
