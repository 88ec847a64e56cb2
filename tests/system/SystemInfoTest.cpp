#include <gtest/gtest.h>

#include "system/NumberText.h"
#include "system/TWindowsVersionRecord.h"

namespace Vellumetric {
namespace {

using TSource = TWindowsVersionRecord::TSource;

TWindowsVersionRecord Nt(std::uint32_t major, std::uint32_t minor, std::uint8_t type = 1) {
  TWindowsVersionRecord r;
  r.Source = TSource::Extended;
  r.Major = major;
  r.Minor = minor;
  r.ProductType = type;
  return r;
}

TEST(DescribeWindows, VistaToEightUseTheProductInfoType) {
  TWindowsVersionRecord seven = Nt(6, 1);
  seven.ProductInfoType = 48;  // PRODUCT_PROFESSIONAL, known to 6.1 only
  const TWindowsInfo info = DescribeWindows(seven);
  EXPECT_EQ(info.ProductName, "Microsoft Windows 7");
  EXPECT_EQ(info.VersionClass, 4);
  EXPECT_EQ(info.Edition, "Professional Edition");

  TWindowsVersionRecord vista = Nt(6, 0);
  vista.ProductInfoType = 48;
  EXPECT_EQ(DescribeWindows(vista).Edition, "");
  vista.ProductInfoType = 1;
  EXPECT_EQ(DescribeWindows(vista).Edition, "Ultimate Edition");

  TWindowsVersionRecord server = Nt(6, 2, 3);
  server.ProductInfoType = 7;
  EXPECT_EQ(DescribeWindows(server).ProductName, "Microsoft Windows Server 2008 R3");
  EXPECT_EQ(DescribeWindows(server).Edition, "Server Standard Edition (full installation)");
  EXPECT_EQ(DescribeWindows(Nt(6, 3)).ProductName, "");
}

TEST(DescribeWindows, ServerTwoThousandThreeAndXp) {
  TWindowsVersionRecord r2 = Nt(5, 2, 3);
  r2.ServerR2Metric = 1;
  r2.SuiteMask = kSuiteEnterprise;
  EXPECT_EQ(DescribeWindows(r2).ProductName, "Microsoft Windows Server 2003 \"R2\"");
  EXPECT_EQ(DescribeWindows(r2).Edition, "Enterprise Edition");
  EXPECT_EQ(DescribeWindows(r2).VersionClass, 2);

  TWindowsVersionRecord web = Nt(5, 2, 3);
  web.SuiteMask = kSuiteBlade;
  EXPECT_EQ(DescribeWindows(web).Edition, "Web Edition");
  web.SuiteMask = kSuiteBlade | 0x100;
  EXPECT_EQ(DescribeWindows(web).Edition, "Standard Edition");

  TWindowsVersionRecord xp64 = Nt(5, 2, 1);
  xp64.ProcessorArchitecture = kProcessorX64;
  EXPECT_EQ(DescribeWindows(xp64).ProductName, "Microsoft Windows XP Professional x64 Edition");
  EXPECT_EQ(DescribeWindows(xp64).Edition, "Standard x64 Edition");
  EXPECT_EQ(DescribeWindows(xp64).VersionClass, 1);

  TWindowsVersionRecord itanium = Nt(5, 2, 3);
  itanium.ProcessorArchitecture = kProcessorItanium;
  itanium.SuiteMask = kSuiteDatacenter;
  EXPECT_EQ(DescribeWindows(itanium).Edition, "Datacenter Edition for Itanium-based Systems");

  TWindowsVersionRecord home = Nt(5, 1);
  home.SuiteMask = kSuitePersonal;
  EXPECT_EQ(DescribeWindows(home).ProductName, "Microsoft Windows XP");
  EXPECT_EQ(DescribeWindows(home).Edition, "Home Edition");
  EXPECT_EQ(DescribeWindows(Nt(5, 0, 2)).Edition, "Server");
}

TEST(DescribeWindows, OldSystemsAndFailures) {
  EXPECT_EQ(DescribeWindows(Nt(4, 0)).ProductName, "Microsoft Windows NT");
  EXPECT_EQ(DescribeWindows(Nt(4, 0)).Edition, "Workstation 4.0");
  TWindowsVersionRecord nt4Server = Nt(4, 0, 3);
  nt4Server.SuiteMask = kSuiteEnterprise;
  EXPECT_EQ(DescribeWindows(nt4Server).Edition, "Server 4.0, Enterprise Edition");

  TWindowsVersionRecord basic = Nt(4, 0);
  basic.Source = TSource::Basic;
  basic.ProductOptions = "LANMANNT";
  EXPECT_EQ(DescribeWindows(basic).Edition, "Server");
  basic.ProductOptions.reset();  // unreadable: the whole description fails
  EXPECT_EQ(DescribeWindows(basic).ProductName, "");
  EXPECT_EQ(DescribeWindows(basic).VersionClass, -1);

  TWindowsVersionRecord none;
  EXPECT_EQ(DescribeWindows(none).ProductName, "");
  TWindowsVersionRecord me = Nt(4, 90);
  me.PlatformId = 1;
  EXPECT_EQ(DescribeWindows(me).ProductName, "Microsoft Windows Millennium Edition");
  EXPECT_EQ(DescribeWindows(me).Edition, "");
}

TEST(NumberText, TolerantConversions) {
  EXPECT_EQ(StrToIntDefault("12x", -1), -1);
  EXPECT_EQ(StrToInt64Default("-5", 0), -5);
  EXPECT_EQ(StrToIntDefault("", 7), 7);
  EXPECT_EQ(StrToIntDefault("  42", 0), 42);
  EXPECT_EQ(StrToIntDefault("+42", 0), 42);
  EXPECT_EQ(StrToIntDefault("+-4", 9), 9);
  EXPECT_EQ(StrToIntDefault("42 ", 0), 0);
  EXPECT_EQ(StrToIntDefault("2147483648", -3), -3);
  EXPECT_EQ(StrToIntDefault("-2147483648", 0), INT32_MIN);
  EXPECT_EQ(StrToInt64Default("9223372036854775807", 0), INT64_MAX);
  EXPECT_EQ(StrToInt64Default("9223372036854775808", -1), -1);
  EXPECT_EQ(StrToInt64Default("0x10", -1), -1);
}

}  // namespace
}  // namespace Vellumetric
