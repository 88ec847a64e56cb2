// Drives and volume data on Windows: drive letters A to Z and the volume queries.
#include <windows.h>

#include "system/TDiskInfo.h"
#include "system/TDriveInfo.h"
#include "system/win32/WideText.h"

namespace Vellumetric {

void BuildDiskList(TDiskList& disks) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
    wchar_t label[256] = {};
    GetVolumeInformationW(root.c_str(), label, 256, nullptr, nullptr, nullptr, nullptr, 0);
    TDiskInfo disk;
    disk.Name = Narrow(label) + " (" + letter + ":\\)";
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree)) {
      FillDiskUsage(disk, total.QuadPart, available.QuadPart);
    }
    disk.Letter = letter;
    disk.RootPath = std::string(1, letter) + ":\\";
    disks.push_back(std::move(disk));
  }
}

TVolumeFacts QueryVolumeFacts(std::string_view rootText) {
  TVolumeFacts facts;
  const std::wstring root = Widen(rootText);
  wchar_t label[256] = {};
  wchar_t fileSystem[256] = {};
  DWORD serial = 0, maxName = 0, flags = 0;
  if (!GetVolumeInformationW(root.c_str(), label, 256, &serial, &maxName, &flags, fileSystem,
                             256)) {
    return facts;
  }
  facts.Valid = true;
  facts.Serial = serial;
  facts.FileSystem = Narrow(fileSystem);
  facts.MaxNameLength = maxName;
  facts.Flags = flags;
  ULARGE_INTEGER available{}, total{}, totalFree{};
  if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree)) {
    facts.TotalBytes = total.QuadPart;
    facts.UserFreeBytes = available.QuadPart;
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                        &totalClusters)) {
    facts.TotalClusters = totalClusters;
    facts.FreeClusters = freeClusters;
    facts.SectorsPerCluster = sectorsPerCluster;
    facts.BytesPerSector = bytesPerSector;
  }
  return facts;
}

}  // namespace Vellumetric
