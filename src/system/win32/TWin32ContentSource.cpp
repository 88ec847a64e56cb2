// Reading files to compare them, on Windows: cloud files that are only online are never opened,
// links are not followed, reads leave the last-access time alone where the handle allows it, and
// identities are the volume serial with the file ID.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>

#include "system/TContentSource.h"
#include "system/win32/TWin32DirectoryLister.h"
#include "system/win32/TWin32Handles.h"

namespace Vellumetric {
namespace {

// Newer than the headers of MinGW-w64: the bytes of such a file are fetched when it is opened or
// read.
constexpr DWORD kRecallOnOpen = 0x00040000;
constexpr DWORD kRecallOnDataAccess = 0x00400000;

TFileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
          static_cast<std::int64_t>(
              (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
              info.ftLastWriteTime.dwLowDateTime),
          info.nNumberOfLinks == 0};
}

class TWin32OpenFile final : public TOpenFile {
 public:
  TWin32OpenFile(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info)
      : Handle(handle),
        Id{info.dwVolumeSerialNumber, 0,
           (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow},
        Opened(StampOf(info)) {}

  TOpenIdentity Identity() const noexcept override { return Id; }
  TFileStamp OpenedStamp() const noexcept override { return Opened; }
  bool CurrentStamp(TFileStamp& stamp) const override {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(Handle.Get(), &info)) return false;
    stamp = StampOf(info);
    return true;
  }
  std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> buffer) override {
    std::size_t done = 0;
    while (done < buffer.size()) {
      OVERLAPPED at{};
      const std::uint64_t where = offset + done;
      at.Offset = static_cast<DWORD>(where);
      at.OffsetHigh = static_cast<DWORD>(where >> 32);
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(Handle.Get(), buffer.data() + done, want, &got, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        return -1;
      }
      if (got == 0) break;
      done += got;
    }
    return static_cast<std::int64_t>(done);
  }

 private:
  TFileHandle Handle;
  TOpenIdentity Id;
  TFileStamp Opened;
};

TOpenOutcome Failure(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? TOpenOutcome::Vanished
                                                                      : TOpenOutcome::Unreadable;
}

// A reparse point that names another file or folder (a symbolic link, a junction) is not
// followed; others (deduplicated files, cloud files whose bytes are here) hold the file's bytes.
bool IsLinkLike(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  TFindHandle find(FindFirstFileW(path.c_str(), &data));
  return find.Valid() && IsReparseTagNameSurrogate(data.dwReserved0);
}

class TWin32ContentSource final : public TContentSource {
 public:
  TOpenOutcome Open(const std::string& path, std::unique_ptr<TOpenFile>& file) override {
    const std::wstring wide = TWin32DirectoryLister::LongPath(path);
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &facts)) {
      return Failure(GetLastError());
    }
    const DWORD attributes = facts.dwFileAttributes;
    if ((attributes & (kRecallOnOpen | kRecallOnDataAccess | FILE_ATTRIBUTE_OFFLINE)) != 0) {
      return TOpenOutcome::OnlineOnly;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return TOpenOutcome::NotRegular;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkLike(wide)) {
      return TOpenOutcome::NotRegular;
    }
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // Writing attributes lets the handle keep the last-access time as it is (SetFileTime with
    // all bits set); where that access is refused, the file is read without it.
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, kShare, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    bool keepsAccessTime = h != INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
      h = CreateFileW(wide.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING,
                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) return Failure(GetLastError());
    TFileHandle owned(h);
    if (GetFileType(h) != FILE_TYPE_DISK) return TOpenOutcome::NotRegular;
    if (keepsAccessTime) {
      const FILETIME unchanged{0xFFFFFFFF, 0xFFFFFFFF};
      (void)SetFileTime(h, nullptr, &unchanged, nullptr);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return TOpenOutcome::Unreadable;
    file = std::make_unique<TWin32OpenFile>(owned.Release(), info);
    return TOpenOutcome::Opened;
  }

  bool OnSpinningDisk(const std::string& path) override {
    const std::wstring wide = TWin32DirectoryLister::LongPath(path);
    wchar_t mount[MAX_PATH + 1] = {};
    wchar_t volume[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(wide.c_str(), mount, MAX_PATH) ||
        !GetVolumeNameForVolumeMountPointW(mount, volume, MAX_PATH)) {
      return false;
    }
    std::wstring device = volume;
    if (!device.empty() && device.back() == L'\\') device.pop_back();  // the volume, not its root
    TFileHandle disk(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!disk.Valid()) return false;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR answer{};
    DWORD got = 0;
    return DeviceIoControl(disk.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &answer,
                           sizeof(answer), &got, nullptr) &&
           got >= sizeof(answer) && answer.IncursSeekPenalty;
  }
};

}  // namespace

std::unique_ptr<TContentSource> CreateContentSource() {
  return std::make_unique<TWin32ContentSource>();
}

}  // namespace Vellumetric
