#include "system/ntfs/NtfsVolumeSource.h"

#include <windows.h>
#include <winioctl.h>

#include <cwctype>
#include <vector>

#include "system/NativePlatform.h"
#include "system/win32/TWin32Handles.h"
#include "system/win32/WideText.h"

namespace Vellumetric {
namespace {

// A raw NTFS volume (\\.\C:) read without the system's cache, each read overlapped so it can
// be waited for on its own event; the reader keeps its offsets, lengths and buffers aligned to
// the volume's sectors, as unbuffered reads require.
class TWin32VolumeSource final : public TNtfsByteSource {
 public:
  TWin32VolumeSource(HANDLE volume, std::wstring root, DWORD sectorSize, std::uint64_t size)
      : Volume(volume),
        Event(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        Root(std::move(root)),
        SectorSize(sectorSize),
        Length(size) {}
  ~TWin32VolumeSource() override {
    if (Event) CloseHandle(Event);
  }

  [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size,
                            std::string& error) override {
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
      OVERLAPPED request{};
      request.Offset = static_cast<DWORD>(offset);
      request.OffsetHigh = static_cast<DWORD>(offset >> 32);
      request.hEvent = Event;
      const DWORD want = static_cast<DWORD>(size < (1U << 30) ? size : (1U << 30));
      DWORD got = 0;
      if (!ReadFile(Volume.Get(), out, want, nullptr, &request) &&
          GetLastError() != ERROR_IO_PENDING) {
        error = SystemErrorText(static_cast<std::int32_t>(GetLastError()));
        return false;
      }
      if (!GetOverlappedResult(Volume.Get(), &request, &got, TRUE) || got == 0) {
        error = got == 0 ? "read past the end"
                         : SystemErrorText(static_cast<std::int32_t>(GetLastError()));
        return false;
      }
      out += got;
      offset += got;
      size -= got;
    }
    return true;
  }
  [[nodiscard]] std::uint64_t Size() const override { return Length; }
  [[nodiscard]] std::size_t Alignment() const override { return SectorSize; }

  // The file system's own map of $MFT: the extents as they are now, without decoding them from
  // the MFT's first record.
  [[nodiscard]] bool MftExtents(std::vector<TNtfsRun>& runs) override {
    TFileHandle mft(CreateFileW((Root + L"\\$MFT").c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!mft.Valid()) return false;
    std::vector<TNtfsRun> found;
    STARTING_VCN_INPUT_BUFFER start{};
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (;;) {
      DWORD bytes = 0;
      const BOOL ok = DeviceIoControl(mft.Get(), FSCTL_GET_RETRIEVAL_POINTERS, &start,
                                      sizeof start, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), &bytes, nullptr);
      if (!ok && GetLastError() != ERROR_MORE_DATA) return false;
      const auto* map = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(buffer.data());
      LONGLONG vcn = map->StartingVcn.QuadPart;
      for (DWORD i = 0; i < map->ExtentCount; ++i) {
        const LONGLONG next = map->Extents[i].NextVcn.QuadPart;
        const LONGLONG lcn = map->Extents[i].Lcn.QuadPart;
        if (next <= vcn) return false;
        found.push_back({lcn < 0 ? TNtfsRun::NoLcn : lcn, static_cast<std::uint64_t>(next - vcn)});
        vcn = next;
      }
      if (ok) break;
      start.StartingVcn.QuadPart = vcn;
    }
    if (found.empty()) return false;
    runs = std::move(found);
    return true;
  }

 private:
  TFileHandle Volume;
  HANDLE Event;
  std::wstring Root;
  DWORD SectorSize;
  std::uint64_t Length;
};

// "C:" or "C:\" (any letter); anything else is a folder, not a drive.
bool IsDriveRoot(std::string_view root) {
  if (root.size() < 2 || root.size() > 3 || root[1] != ':') return false;
  if (root.size() == 3 && root[2] != '\\' && root[2] != '/') return false;
  const char c = root[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool DriveRootsAreRawVolumes() {
  return true;
}

std::unique_ptr<TNtfsByteSource> OpenNtfsVolume(std::string_view root, std::string& reason) {
  if (!IsDriveRoot(root)) {
    reason = "the master file table serves whole drives only";
    return nullptr;
  }
  const std::wstring drive = Widen(root.substr(0, 2));
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW((drive + L"\\").c_str(), nullptr, 0, nullptr, nullptr, nullptr,
                             fileSystem, MAX_PATH + 1)) {
    reason = SystemErrorText(static_cast<std::int32_t>(GetLastError()));
    return nullptr;
  }
  if (std::wstring(fileSystem) != L"NTFS") {
    reason = "not NTFS (" + Narrow(fileSystem) + ")";
    return nullptr;
  }
  DWORD sectorsPerCluster = 0, sectorSize = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceW((drive + L"\\").c_str(), &sectorsPerCluster, &sectorSize, &freeClusters,
                         &clusters) ||
      sectorSize == 0) {
    sectorSize = 4096;
  }
  HANDLE volume = CreateFileW((L"\\\\.\\" + drive).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_OVERLAPPED,
                              nullptr);
  if (volume == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    reason = error == ERROR_ACCESS_DENIED
                 ? "not administrator: reading the drive itself needs it"
                 : SystemErrorText(static_cast<std::int32_t>(error));
    return nullptr;
  }
  GET_LENGTH_INFORMATION length{};
  DWORD bytes = 0;
  const std::uint64_t size =
      DeviceIoControl(volume, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length,
                      &bytes, nullptr)
          ? static_cast<std::uint64_t>(length.Length.QuadPart)
          : 0;
  return std::make_unique<TWin32VolumeSource>(volume, drive, sectorSize, size);
}

}  // namespace Vellumetric
