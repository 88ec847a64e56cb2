#include "system/SystemInfo.h"

#include <windows.h>

#include "system/StringTable.h"
#include "system/SystemFolders.h"
#include "system/win32/TWin32Handles.h"
#include "system/win32/WideText.h"
#include "system/win32/WindowsVersion.h"

namespace Vellumetric {
namespace {

std::optional<std::string> ProductOptionsValue() {
  TRegistryKey key(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions");
  if (!key.Valid()) return std::nullopt;
  wchar_t value[257] = {};
  DWORD bytes = 512;
  if (RegQueryValueExW(key.Get(), L"ProductType", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                       &bytes) != ERROR_SUCCESS) {
    return std::nullopt;  // missing, or longer than 512 bytes
  }
  return Narrow(std::wstring_view(value, wcsnlen(value, bytes / sizeof(wchar_t))));
}

}  // namespace

TWindowsVersionRecord ReadWindowsVersionRecord() {
  TWindowsVersionRecord r;
  OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex))) {
    r.Source = TWindowsVersionRecord::TSource::Extended;
  } else {
    ex.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex))) return r;
    r.Source = TWindowsVersionRecord::TSource::Basic;
  }
#pragma GCC diagnostic pop
  r.PlatformId = ex.dwPlatformId;
  r.Major = ex.dwMajorVersion;
  r.Minor = ex.dwMinorVersion;
  r.ProductType = ex.wProductType;
  r.SuiteMask = ex.wSuiteMask;
  SYSTEM_INFO si{};
  GetNativeSystemInfo(&si);
  r.ProcessorArchitecture = si.wProcessorArchitecture;
  r.ServerR2Metric = GetSystemMetrics(SM_SERVERR2);
  if (r.Major >= 6) {
    DWORD type = 0;
    if (GetProductInfo(ex.dwMajorVersion, ex.dwMinorVersion, ex.wServicePackMajor,
                       ex.wServicePackMinor, &type)) {
      r.ProductInfoType = type;
    }
  }
  if (r.Source == TWindowsVersionRecord::TSource::Basic) r.ProductOptions = ProductOptionsValue();
  return r;
}

void GatherSystemInfo(TWindowsInfo& info, std::string& windowsFolder) {
  info = DescribeWindows(ReadWindowsVersionRecord());
  windowsFolder = GetWindowsFolder();
}

std::string PhysicalMemoryText(std::uint64_t megabytes) {
  return LoadResStringFmt(IDS_PHYSICAL_MEMORY, std::to_string(megabytes));
}

}  // namespace Vellumetric
