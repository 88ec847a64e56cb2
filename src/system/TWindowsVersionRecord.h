#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "system/TWindowsInfo.h"

namespace Vellumetric {

// Everything the Windows naming rules look at, as the Win32 back end reads it. Kept as plain data
// so the rules are a pure function, testable on any platform.
struct TWindowsVersionRecord {
  enum class TSource { None, Basic, Extended };
  TSource Source = TSource::None;
  std::uint32_t PlatformId = 2;  // 0 Win32s, 1 Windows 9x, 2 NT
  std::uint32_t Major = 0;
  std::uint32_t Minor = 0;
  std::uint8_t ProductType = 1;  // 1 workstation, 2 domain controller, 3 server
  std::uint16_t SuiteMask = 0;
  std::uint16_t ProcessorArchitecture = 0;  // 0 x86, 6 Itanium, 9 x64
  std::int32_t ServerR2Metric = 0;          // GetSystemMetrics(SM_SERVERR2)
  std::uint32_t ProductInfoType = 0;        // GetProductInfo, for 6.x
  // "ProductType" under ...\Control\ProductOptions; nullopt when it could not be read (or was
  // longer than 512 bytes). Only asked when just the basic record was obtained.
  std::optional<std::string> ProductOptions;
};

inline constexpr std::uint16_t kSuiteEnterprise = 0x0002;
inline constexpr std::uint16_t kSuiteDatacenter = 0x0080;
inline constexpr std::uint16_t kSuitePersonal = 0x0200;
inline constexpr std::uint16_t kSuiteBlade = 0x0400;
inline constexpr std::uint16_t kProcessorItanium = 6;
inline constexpr std::uint16_t kProcessorX64 = 9;

// The naming rules: product name, edition and version class. A record that was not obtained,
// or a basic record of an old NT whose ProductOptions value is unreadable, gives an empty result.
[[nodiscard]] TWindowsInfo DescribeWindows(const TWindowsVersionRecord& record);

}  // namespace Vellumetric
