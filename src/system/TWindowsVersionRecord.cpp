#include "system/TWindowsVersionRecord.h"

#include <map>

#include "system/StringTable.h"

namespace Vellumetric {
namespace {

using TRecord = TWindowsVersionRecord;

bool IsWorkstation(const TRecord& r) {
  return r.ProductType == 1;
}
bool IsX64(const TRecord& r) {
  return r.ProcessorArchitecture == kProcessorX64;
}
bool Has(const TRecord& r, std::uint16_t suite) {
  return (r.SuiteMask & suite) != 0;
}

std::string NtProductName(const TRecord& r) {
  const bool ws = IsWorkstation(r);
  if (r.Major == 6 && r.Minor == 2) {
    return ws ? "Microsoft Windows 8" : "Microsoft Windows Server 2008 R3";
  }
  if (r.Major == 6 && r.Minor == 1) {
    return ws ? "Microsoft Windows 7" : "Microsoft Windows Server 2008 R2";
  }
  if (r.Major == 6 && r.Minor == 0)
    return ws ? "Microsoft Windows Vista" : "Microsoft Windows Server 2008";
  if (r.Major == 5 && r.Minor == 2) {
    if (r.ServerR2Metric != 0) return "Microsoft Windows Server 2003 \"R2\"";
    return ws && IsX64(r) ? "Microsoft Windows XP Professional x64 Edition"
                          : "Microsoft Windows Server 2003";
  }
  if (r.Major == 5 && r.Minor == 1) return "Microsoft Windows XP";
  if (r.Major == 5 && r.Minor == 0) return "Microsoft Windows 2000";
  if (r.Major <= 4) return "Microsoft Windows NT";
  return {};  // 6.3 and later, or an unknown 5.x
}

std::int32_t NtVersionClass(const TRecord& r) {
  if (r.Major == 6 && r.Minor <= 2) return static_cast<std::int32_t>(3 + r.Minor);
  if (r.Major == 5 && r.Minor == 2) return IsWorkstation(r) && IsX64(r) ? 1 : 2;
  if (r.Major == 5 && r.Minor == 1) return 1;
  if (r.Major == 5 && r.Minor == 0) return 0;
  return -1;
}

std::string Vista7Edition(const TRecord& r) {
  static const std::map<std::uint32_t, int> kIds = {
      {0, 1023},  {1, 1024},  {2, 1009},  {3, 1011},  {4, 1005},  {5, 1010},  {6, 1000},
      {7, 1016},  {8, 1003},  {9, 1014},  {10, 1006}, {11, 1018}, {12, 1004}, {13, 1017},
      {14, 1007}, {15, 1008}, {16, 1001}, {17, 1025}, {18, 1002}, {19, 1012}, {20, 1020},
      {21, 1021}, {22, 1022}, {23, 1019}, {24, 1013}, {25, 1015}};
  static const std::map<std::uint32_t, int> kWindows7Ids = {{48, 1027}, {49, 1029}, {69, 1028}};
  if (const auto it = kIds.find(r.ProductInfoType); it != kIds.end()) {
    return LoadResString(it->second);
  }
  if (r.Minor == 1) {
    if (const auto it = kWindows7Ids.find(r.ProductInfoType); it != kWindows7Ids.end()) {
      return LoadResString(it->second);
    }
  }
  return {};
}

std::string ServerEdition(const TRecord& r) {
  const bool dc = Has(r, kSuiteDatacenter);
  const bool ent = Has(r, kSuiteEnterprise);
  if (r.Major == 5 && r.Minor == 2) {
    if (r.ProcessorArchitecture == kProcessorItanium) {
      if (dc) return "Datacenter Edition for Itanium-based Systems";
      if (ent) return "Enterprise Edition for Itanium-based Systems";
      return {};
    }
    if (IsX64(r)) {
      return dc    ? "Datacenter x64 Edition"
             : ent ? "Enterprise x64 Edition"
                   : "Standard x64 Edition";
    }
    if (dc) return "Datacenter Edition";
    if (ent) return "Enterprise Edition";
    return r.SuiteMask == kSuiteBlade ? "Web Edition" : "Standard Edition";
  }
  if (r.Major == 5 && r.Minor == 0)
    return dc ? "Datacenter Server" : ent ? "Advanced Server" : "Server";
  if (r.Major <= 4) return ent ? "Server 4.0, Enterprise Edition" : "Server 4.0";
  return {};
}

std::string ExtendedOldEdition(const TRecord& r) {
  const bool xpX64 = r.Major == 5 && r.Minor == 2 && IsX64(r);
  if (IsWorkstation(r) && !xpX64) {
    if (r.Major == 4) return "Workstation 4.0";
    return LoadResString(Has(r, kSuitePersonal) ? IDS_HOME_EDITION : IDS_PROFESSIONAL_EDITION);
  }
  return ServerEdition(r);
}

std::string ProductOptionsEdition(const std::string& value) {
  if (value == "WINNT") return "Workstation";
  if (value == "LANMANNT") return "Server";
  if (value == "SERVERNT") return "Advanced Server";
  return {};
}

}  // namespace

TWindowsInfo DescribeWindows(const TWindowsVersionRecord& r) {
  TWindowsInfo info;
  if (r.Source == TRecord::TSource::None) return info;
  if (r.PlatformId == 0) {
    info.ProductName = "Microsoft Win32s";
    return info;
  }
  if (r.PlatformId == 1) {
    if (r.Major == 4 && r.Minor == 0) info.ProductName = "Microsoft Windows 95";
    if (r.Major == 4 && r.Minor == 10) info.ProductName = "Microsoft Windows 98";
    if (r.Major == 4 && r.Minor == 90) info.ProductName = "Microsoft Windows Millennium Edition";
    return info;
  }
  if (r.Major <= 5 && r.Source == TRecord::TSource::Basic) {
    if (!r.ProductOptions.has_value()) return {};  // the whole description fails
    info.Edition = ProductOptionsEdition(*r.ProductOptions);
  } else if (r.Major == 6) {
    info.Edition = Vista7Edition(r);
  } else if (r.Major <= 5) {
    info.Edition = ExtendedOldEdition(r);
  }
  info.ProductName = NtProductName(r);
  info.VersionClass = NtVersionClass(r);
  return info;
}

}  // namespace Vellumetric
