#include <gtest/gtest.h>

#include <string>

#include "TTempDir.h"
#include "system/InfoPageRows.h"
#include "system/TDiskInfo.h"
#include "system/TDriveInfoCache.h"

namespace Vellumetric {
namespace {

TVolumeFacts Facts(std::uint64_t totalBytes, std::uint64_t freeBytes) {
  TVolumeFacts f;
  f.Valid = true;
  f.Serial = 0x16385481;
  f.FileSystem = "NTFS";
  f.MaxNameLength = 255;
  f.TotalBytes = totalBytes;
  f.UserFreeBytes = freeBytes;
  f.TotalClusters = 121;
  f.FreeClusters = 7;
  f.SectorsPerCluster = 8;
  f.BytesPerSector = 512;
  f.Flags = (1u << 1) | (1u << 5);  // case preserved, quotas
  return f;
}

TEST(DriveInfo, FormatsTheWholeGigabyteFiguresAndTheSerial) {
  // 465.7 GB capacity with 120.9 GB free: whole GB are truncated before the percentage.
  const TDriveInfo d = FormatDriveInfo(
      "C:\\", Facts((465ULL << 30) + (700ULL << 20), (120ULL << 30) + (900ULL << 20)));
  EXPECT_EQ(d.TotalSpace, "465 GB");
  EXPECT_EQ(d.FreeSpace, "120 GB (25.81%)");
  EXPECT_EQ(d.SerialNumber, "1638-5481");
  EXPECT_EQ(d.MaxNameLength, "255");
  EXPECT_EQ(d.TotalClusters, "121");
  TVolumeFacts small = Facts(0, 0);
  small.Serial = 0xAB;
  EXPECT_EQ(FormatDriveInfo("E:\\", small).SerialNumber, "0000-00AB");
  EXPECT_EQ(FormatDriveInfo("E:\\", small).FreeSpace, "0 GB (0.00%)");  // capacity 0
  EXPECT_EQ(FormatDriveInfo("E:\\", Facts(512ULL << 20, 128ULL << 20)).FreeSpace,
            "0 GB (25.00%)");  // below 1 GB: from the bytes
}

TEST(DriveInfo, SerialIsEightDigitsWithTheDashAfterTheFourth) {
  EXPECT_EQ(FormatVolumeSerial(0), "0000-0000");
  EXPECT_EQ(FormatVolumeSerial(0x1234), "0000-1234");
  EXPECT_EQ(FormatVolumeSerial(0x07035919), "0703-5919");
  EXPECT_EQ(FormatVolumeSerial(0xFFFFFFFF), "FFFF-FFFF");
}

TEST(DriveInfo, FailedQueryAndPageRows) {
  const TDriveInfo failed = FormatDriveInfo("Z:\\", TVolumeFacts{});
  EXPECT_EQ(failed.RootPath, "Z:\\");
  EXPECT_EQ(failed.TotalSpace, "");
  const auto failedRows = DrivePageRows(failed);
  for (std::size_t i = 13; i < failedRows.size(); ++i) EXPECT_EQ(failedRows[i].Value, "No");

  const auto rows = DrivePageRows(FormatDriveInfo("C:\\", Facts(1ULL << 40, 1ULL << 39)));
  ASSERT_EQ(rows.size(), 32u);
  EXPECT_EQ(rows[0].Field, "General");
  EXPECT_EQ(rows[0].Image, 0);
  EXPECT_EQ(rows[1].Value, "C:\\");
  EXPECT_EQ(rows[1].Indent, 1);
  EXPECT_EQ(rows[7].Field, "Total Cluster");
  EXPECT_EQ(rows[11].Field, "");
  EXPECT_EQ(rows[12].Field, "File System Features");
  EXPECT_EQ(rows[13].Field, "Case is Preserved");
  EXPECT_EQ(rows[13].Value, "Yes");
  EXPECT_EQ(rows[13].Image, 1);
  EXPECT_EQ(rows[14].Image, 2);  // case sensitive: no
  EXPECT_EQ(rows[31].Field, "Disk Quotas Support");
  EXPECT_EQ(rows[31].Value, "Yes");
}

TEST(DriveInfo, FolderPageRows) {
  TFolderData empty;
  const auto rows = FolderPageRows("/home/ann", &empty);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[2].Value, "0.0 KB");
  EXPECT_EQ(rows[3].Value, "0 Files, 0 Folders");
  EXPECT_EQ(rows[4].Field, "Unreadable folders below");
  EXPECT_EQ(rows[4].Value, "0");
  EXPECT_EQ(rows[5].Field, "Size on disk");
  TFolderData big;
  big.Size = 5ULL << 30;
  big.DiskSize = 3ULL << 29;
  big.FileCount = 12;
  big.FolderCount = 3;
  EXPECT_EQ(FolderPageRows("/x", &big, ",")[2].Value, "5,0 GB");
  EXPECT_EQ(FolderPageRows("/x", &big)[3].Value, "12 Files, 3 Folders");
  EXPECT_EQ(FolderPageRows("/x", &big, ",")[5].Value, "1,5 GB");
  EXPECT_EQ(FolderPageRows("/x", nullptr).size(), 2u);
}

// A drive of 100 GiB with 40 GiB free holds 60 GiB in use; a scan that found 45 GiB on disk
// leaves 15 GiB unaccounted for. A scan that found more than is in use (files
// written meanwhile) leaves nothing, and a failed volume query shows only what the scan found.
TEST(DriveInfo, DriveScanRowsSayWhatTheScanDidNotFind) {
  TFolderData root;
  root.Size = 50ULL << 30;
  root.DiskSize = 45ULL << 30;
  TVolumeFacts facts;
  facts.Valid = true;
  facts.TotalBytes = 100ULL << 30;
  facts.UserFreeBytes = 40ULL << 30;
  const auto value = [](const std::vector<TInfoPageRow>& rows, const std::string& field) {
    for (const TInfoPageRow& row : rows) {
      if (row.Field == field) return row.Value;
    }
    return std::string("(none)");
  };
  const auto rows = DriveScanRows(root, facts, ",");
  EXPECT_EQ(rows[1].Field, "Scan");
  EXPECT_EQ(rows[1].Image, 0);
  EXPECT_EQ(value(rows, "Size on disk"), "45,0 GB");
  EXPECT_EQ(value(rows, "In use on the drive"), "60,0 GB");
  EXPECT_EQ(value(rows, "Not found by the scan"), "15,0 GB");
  root.DiskSize = 61ULL << 30;
  EXPECT_EQ(value(DriveScanRows(root, facts), "Not found by the scan"), "0.0 KB");
  facts.Valid = false;
  EXPECT_EQ(value(DriveScanRows(root, facts), "In use on the drive"), "(none)");
  EXPECT_EQ(value(DriveScanRows(root, facts), "Size on disk"), "61.0 GB");
}

TEST(DriveInfoCache, GathersOncePerRootIgnoringAsciiCase) {
  int calls = 0;
  TDriveInfoCache cache([&](std::string_view root) {
    ++calls;
    return FormatDriveInfo(root, Facts(10ULL << 30, static_cast<std::uint64_t>(calls) << 30));
  });
  const TDriveInfo& first = cache.Get("c:\\");
  EXPECT_EQ(cache.Get("C:\\").FreeSpace, "1 GB (10.00%)");  // not refreshed
  EXPECT_EQ(&cache.Get("C:\\"), &first);
  cache.Get("D:\\");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(first.RootPath, "c:\\");
}

TEST(DiskInfo, UsageWithCapacityZeroIsEmpty) {
  TDiskInfo disk;
  FillDiskUsage(disk, 0, 0);
  EXPECT_EQ(disk.UsedPercent, 0.0f);
  FillDiskUsage(disk, 4ULL << 30, 1ULL << 30);
  EXPECT_DOUBLE_EQ(disk.UsedGB, 3.0);
  EXPECT_FLOAT_EQ(disk.UsedPercent, 75.0f);
}

}  // namespace
}  // namespace Vellumetric
