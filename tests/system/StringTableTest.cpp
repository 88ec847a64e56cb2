#include <gtest/gtest.h>

#include <map>
#include <string>

#include "system/DisplayScaling.h"
#include "system/StringTable.h"

namespace Vellumetric {
namespace {

// The table as the program must show it, kept here independently of resources/strings.tsv.
const std::map<int, std::string> kExpected = {
    {7, "Version %s"},
    {8, "About %s"},
    {10, "Physical memory available to Windows: %s MB"},
    {14, "Select Directory"},
    {751, "Cannot read application path. Reinstall your copy of %s to solve the problem."},
    {755, "Cannot open database: %s."},
    {851, "Local Disk"},
    {1000, "Business Edition"},
    {1001, "Business N Edition"},
    {1002, "Cluster Server Edition"},
    {1003, "Server Datacenter Edition (full installation)"},
    {1004, "Server Datacenter Edition (core installation)"},
    {1005, "Enterprise Edition"},
    {1006, "Server Enterprise Edition (full installation)"},
    {1007, "Server Enterprise Edition (core installation)"},
    {1008, "Server Enterprise Edition for Itanium-based Systems"},
    {1009, "Home Basic Edition"},
    {1010, "Home Basic N Edition"},
    {1011, "Home Premium Edition"},
    {1012, "Home Server Edition"},
    {1013, "Server for Small Business Edition"},
    {1014, "Small Business Server"},
    {1015, "Small Business Server Premium Edition"},
    {1016, "Server Standard Edition (full installation)"},
    {1017, "Server Standard Edition (core installation)"},
    {1018, "Starter Edition"},
    {1019, "Storage Server Enterprise Edition"},
    {1020, "Storage Server Express Edition"},
    {1021, "Storage Server Standard Edition"},
    {1022, "Storage Server Workgroup Edition"},
    {1023, "An unknown product"},
    {1024, "Ultimate Edition"},
    {1025, "Web Server Edition"},
    {1026, "Home Edition"},
    {1027, "Professional Edition"},
    {1028, "Professional E Edition"},
    {1029, "Professional N Edition"},
    {1213, "Name"},
    {1576, "Size"},
    {2008, "Browse..."},
    {2009, "Analyzing..."},
};

TEST(StringTable, EveryEntryByteForByte) {
  for (const auto& [id, text] : kExpected) EXPECT_EQ(LoadResString(id), text) << id;
  EXPECT_EQ(LoadResString(0), "");
  EXPECT_EQ(LoadResString(1030), "");
}

TEST(StringTable, FormatReplacesOnlyTheFirstPlaceholderLiterally) {
  EXPECT_EQ(LoadResStringFmt(755, "disk I/O error"), "Cannot open database: disk I/O error.");
  EXPECT_EQ(LoadResStringFmt(751, "Quendrix Vellumetric"),
            "Cannot read application path. Reinstall your copy of Quendrix Vellumetric to solve "
            "the problem.");
  EXPECT_EQ(LoadResStringFmt(7, "%s 100%"), "Version %s 100%");
  EXPECT_EQ(LoadResStringFmt(851, "ignored"), "Local Disk");
}

TEST(DisplayScaling, LargeAbove100Dpi) {
  EXPECT_FALSE(IsLargeResolution(ScreenDpiOrDefault(std::nullopt)));
  EXPECT_EQ(ScreenDpiOrDefault(std::nullopt), 96);
  EXPECT_FALSE(IsLargeResolution(100));
  EXPECT_TRUE(IsLargeResolution(101));
  EXPECT_TRUE(IsLargeResolution(120));
  EXPECT_EQ(ScaleToScreen(1255, 96, 120), 1004);
  EXPECT_EQ(ScaleToScreen(26, 144, 120), 31);  // 31.2 rounds down
  EXPECT_EQ(ScaleToScreen(48, 150, 120), 60);
}

}  // namespace
}  // namespace Vellumetric
