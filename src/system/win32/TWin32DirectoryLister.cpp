#include "system/win32/TWin32DirectoryLister.h"

#include "model/TFileDisk.h"
#include "system/win32/WideText.h"

namespace Vellumetric {
namespace {

// Newer attribute bits than the headers this build targets know.
constexpr DWORD kRecallOnOpen = 0x00040000;
constexpr DWORD kRecallOnDataAccess = 0x00400000;
constexpr DWORD kOnlineOnly = kRecallOnOpen | kRecallOnDataAccess | FILE_ATTRIBUTE_OFFLINE;
constexpr std::uint64_t kUnknownAllocation = ~std::uint64_t{0};
constexpr std::size_t kBatchBytes = 64 * 1024;

std::uint64_t Quad(const LARGE_INTEGER& v) {
  return static_cast<std::uint64_t>(v.QuadPart);
}

std::uint64_t Quad(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

bool IsDotOrDotDot(const wchar_t* name, std::size_t length) {
  return name[0] == L'.' && (length == 1 || (length == 2 && name[1] == L'.'));
}

// Vanished meanwhile: nothing to list, and nothing to report either.
std::int32_t OpenError(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
             ? 0
             : static_cast<std::int32_t>(code);
}

// What a file system answers when it does not offer FileIdBothDirectoryInfo (some network
// redirectors and third-party file system drivers).
bool IsRefusal(DWORD code) {
  return code == ERROR_INVALID_PARAMETER || code == ERROR_INVALID_FUNCTION ||
         code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_LEVEL ||
         code == ERROR_CALL_NOT_IMPLEMENTED;
}

// The volume serial and file index of the folder a path leads to (through any link).
bool Identify(const std::wstring& path, DWORD& serial, std::uint64_t& index) {
  TFileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info)) return false;
  serial = info.dwVolumeSerialNumber;
  index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
  return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

}  // namespace

std::wstring TWin32DirectoryLister::LongPath(std::string_view path) {
  std::wstring p = Widen(path);
  if (p.rfind(L"\\\\?\\", 0) == 0) return p;
  for (wchar_t& c : p) {
    if (c == L'/') c = L'\\';
  }
  if (p.size() == 2 && p[1] == L':')
    p += L'\\';  // "C:" is the drive's root, not its current folder
  // The system's own rules make a relative path absolute and fold doubled separators and "."
  // and ".." components, which a "\\?\" path would take literally.
  const DWORD need = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
  if (need == 0) return p;
  std::wstring full(need, L'\0');
  const DWORD n = GetFullPathNameW(p.c_str(), need, full.data(), nullptr);
  full.resize(n);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// The serial, file system, kind and cluster size of the volume `folder` lies on.
void TWin32DirectoryLister::LearnVolume(HANDLE folder, const std::wstring& path) {
  Volume = TVolumeFacts{};
  wchar_t fsName[MAX_PATH + 1] = {};
  wchar_t root[MAX_PATH + 1] = {};
  const bool haveRoot = GetVolumePathNameW(path.c_str(), root, MAX_PATH) != 0;
  if (!GetVolumeInformationByHandleW(folder, nullptr, 0, &Volume.Serial, nullptr, nullptr, fsName,
                                     MAX_PATH + 1) &&
      haveRoot) {
    GetVolumeInformationW(root, nullptr, 0, &Volume.Serial, nullptr, nullptr, fsName, MAX_PATH + 1);
  }
  Volume.Ntfs = std::wstring(fsName) == L"NTFS";
  Volume.Network =
      path.rfind(L"\\\\?\\UNC\\", 0) == 0 || (haveRoot && GetDriveTypeW(root) == DRIVE_REMOTE);
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD clusters = 0;
  if (haveRoot &&
      GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
      sectorsPerCluster * bytesPerSector > 0) {
    Volume.Cluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
  }
}

// Reads the whole folder, batch by batch. False when the file system refuses the class (the
// caller lists by FindFirstFileExW instead) or the very first batch fails (Error is set then).
bool TWin32DirectoryLister::ReadByHandle(HANDLE folder, TFrame& frame) {
  thread_local auto buffer = std::make_unique<LONGLONG[]>(kBatchBytes / sizeof(LONGLONG));
  bool first = true;
  for (;;) {
    if (!GetFileInformationByHandleEx(
            folder, first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo, buffer.get(),
            static_cast<DWORD>(kBatchBytes))) {
      const DWORD code = GetLastError();
      if (code == ERROR_NO_MORE_FILES) return true;
      if (first && IsRefusal(code)) {
        Volume.Refused = true;
        return false;
      }
      if (first) {
        Error = OpenError(code);
        return false;
      }
      frame.EndError = code;  // a listing that fails part way keeps what it read
      return true;
    }
    first = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
    for (std::size_t at = 0;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + at);
      const std::size_t length = info->FileNameLength / sizeof(wchar_t);
      if (!IsDotOrDotDot(info->FileName, length)) {
        frame.Entries.push_back(
            {Quad(info->EndOfFile), Quad(info->AllocationSize), Quad(info->LastAccessTime),
             Quad(info->LastWriteTime), Quad(info->FileId), info->FileAttributes,
             static_cast<std::uint32_t>(frame.Names.size()), static_cast<std::uint32_t>(length)});
        frame.Names.append(info->FileName, length);
      }
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
}

void TWin32DirectoryLister::ReadByFind(TFrame& frame) {
  WIN32_FIND_DATAW d{};
  TFindHandle find(FindFirstFileExW(Joined(frame.Self.Path, L"*").c_str(), FindExInfoBasic, &d,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find.Valid()) {
    Error = OpenError(GetLastError());
    return;
  }
  do {
    const std::size_t length = wcslen(d.cFileName);
    if (IsDotOrDotDot(d.cFileName, length)) continue;
    frame.Entries.push_back({(std::uint64_t{d.nFileSizeHigh} << 32) | d.nFileSizeLow,
                             kUnknownAllocation, Quad(d.ftLastAccessTime), Quad(d.ftLastWriteTime),
                             0, d.dwFileAttributes, static_cast<std::uint32_t>(frame.Names.size()),
                             static_cast<std::uint32_t>(length)});
    frame.Names.append(d.cFileName, length);
  } while (FindNextFileW(find.Get(), &d));
  if (GetLastError() != ERROR_NO_MORE_FILES) frame.EndError = GetLastError();
}

// `maybeOtherVolume`: the folder is a link, or the root, so its volume is looked up; any other
// folder shares its parent's.
bool TWin32DirectoryLister::Open(std::wstring path, bool maybeOtherVolume) {
  Error = 0;
  if (!Frames.empty()) Volume = Frames.back().Volume;
  TFileHandle folder(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder.Valid()) {
    Error = OpenError(GetLastError());
    return false;
  }
  if (maybeOtherVolume) LearnVolume(folder.Get(), path);
  TFrame frame;
  frame.Self.Path = std::move(path);
  if (Volume.Refused || !ReadByHandle(folder.Get(), frame)) {
    if (Error != 0) return false;
    ReadByFind(frame);
    if (Error != 0) return false;
  }
  frame.Volume = Volume;
  Frames.push_back(std::move(frame));
  return true;
}

// The folders above a root are on the walked path too: a link up to one of them would lead the
// walk back to the root.
void TWin32DirectoryLister::SetOuterFromRoot(const std::wstring& root) {
  Outer.clear();
  std::size_t start = std::wstring::npos;
  if (root.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    const std::size_t server = root.find(L'\\', 8);  // \\?\UNC\server\share\...
    if (server != std::wstring::npos) start = root.find(L'\\', server + 1);
  } else if (root.rfind(L"\\\\?\\", 0) == 0) {
    start = root.find(L'\\', 4);  // \\?\C:\...
  }
  if (start == std::wstring::npos) return;
  Outer.push_back({root.substr(0, start + 1)});
  for (std::size_t i = root.find(L'\\', start + 1); i != std::wstring::npos;
       i = root.find(L'\\', i + 1)) {
    if (i + 1 < root.size()) Outer.push_back({root.substr(0, i)});
  }
}

bool TWin32DirectoryLister::EnterRoot(std::string_view path, bool) {
  Error = 0;
  Frames.clear();
  const std::wstring root = LongPath(path);
  SetOuterFromRoot(root);
  const bool opened = Open(root, true);
  if (!opened && Error == 0) Error = ERROR_PATH_NOT_FOUND;  // the root itself is worth saying
  return opened;
}

// The full path of the entry Next returned last; false when it is a folder link back onto the
// walked path, which is not entered.
bool TWin32DirectoryLister::ChildPath(std::wstring& path) {
  Error = 0;
  if (Frames.empty()) return false;
  const TFrame& top = Frames.back();
  path = Joined(top.Self.Path, top.LastName);
  return !(top.LastIsLink && IsOnWalkedPath(path));
}

bool TWin32DirectoryLister::IsOnWalkedPath(const std::wstring& link) {
  DWORD serial = 0;
  std::uint64_t index = 0;
  if (!Identify(link, serial, index)) return false;
  auto same = [&](TAncestor& a) {
    if (!a.Known) {
      a.Known = true;
      a.Valid = Identify(a.Path, a.Serial, a.Index);
    }
    return a.Valid && a.Serial == serial && a.Index == index;
  };
  for (TAncestor& a : Outer) {
    if (same(a)) return true;
  }
  for (TFrame& f : Frames) {
    if (same(f.Self)) return true;
  }
  return false;
}

bool TWin32DirectoryLister::EnterChild(std::string_view, std::string_view) {
  std::wstring path;
  if (!ChildPath(path)) return false;
  return Open(std::move(path), Frames.back().LastIsLink);
}

std::unique_ptr<TDirectoryLister> TWin32DirectoryLister::CloneEmpty(std::size_t) const {
  auto clone = std::make_unique<TWin32DirectoryLister>();
  clone->Volume = Volume;
  return clone;
}

bool TWin32DirectoryLister::HandOff(std::string_view, std::string_view, TDirectoryLister& other) {
  std::wstring path;
  if (!ChildPath(path)) return false;
  auto& receiver = static_cast<TWin32DirectoryLister&>(other);
  receiver.Error = 0;
  receiver.Outer = Outer;  // the loop guard looks at the whole walked path
  for (const TFrame& f : Frames) receiver.Outer.push_back(f.Self);
  receiver.Frames.clear();
  receiver.Volume = Frames.back().Volume;
  if (!receiver.Open(std::move(path), Frames.back().LastIsLink)) {
    Error = receiver.Error;
    return false;
  }
  return true;
}

bool TWin32DirectoryLister::HasMore() const {
  return !Frames.empty() && Frames.back().Pos < Frames.back().Entries.size();
}

// What the entry takes on disk: nothing for a file that is only online (never opened), the
// system's own count for sparse and compressed files, else the listing's allocation.
std::uint64_t TWin32DirectoryLister::Allocation(const TFrame& frame, const TStored& e,
                                                std::uint8_t& flags) const {
  flags = 0;
  if ((e.Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return e.Allocation == kUnknownAllocation ? 0 : e.Allocation;
  }
  if ((e.Attributes & kOnlineOnly) != 0) {
    flags = DiskOnlineOnly;
    return 0;
  }
  if ((e.Attributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0) flags |= DiskSparse;
  if ((e.Attributes & FILE_ATTRIBUTE_COMPRESSED) != 0) flags |= DiskCompressed;
  if (flags != 0 && !frame.Volume.Network) {
    DWORD high = 0;
    const DWORD low =
        GetCompressedFileSizeW(Joined(frame.Self.Path, frame.LastName).c_str(), &high);
    if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR) {
      return (std::uint64_t{high} << 32) | low;
    }
  }
  if (e.Allocation != kUnknownAllocation) return e.Allocation;
  const std::uint64_t cluster = frame.Volume.Cluster;
  return (e.Size + cluster - 1) / cluster * cluster;
}

bool TWin32DirectoryLister::Next(TDirEntry& entry) {
  Error = 0;
  if (Frames.empty()) return false;
  TFrame& top = Frames.back();
  if (top.Pos >= top.Entries.size()) {
    Error = static_cast<std::int32_t>(top.EndError);
    return false;
  }
  const TStored& e = top.Entries[top.Pos++];
  top.LastName.assign(top.Names, e.NameOffset, e.NameLength);
  top.Name = Narrow(top.LastName);
  entry.Name = top.Name;
  entry.IsDirectory = (e.Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  top.LastIsLink = entry.IsDirectory && (e.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  entry.Size = e.Size;
  entry.LastAccess = e.LastAccess;
  entry.LastChange = e.LastWrite;
  entry.Error = 0;
  entry.DiskSize = Allocation(top, e, entry.DiskFlags);
  entry.Identity = {};
  if (!entry.IsDirectory && e.FileId != 0) {
    entry.Identity = {top.Volume.Serial, e.FileId, 0, top.Volume.Ntfs};
  }
  return true;
}

void TWin32DirectoryLister::Leave() {
  if (!Frames.empty()) Frames.pop_back();
}

}  // namespace Vellumetric
