#include "system/win32/TWin32DirectoryLister.h"

#include "system/win32/WideText.h"

namespace Vellumetric {
namespace {

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

bool TWin32DirectoryLister::Open(std::wstring path) {
  const std::wstring pattern = Joined(path, L"*");
  TFrame frame;
  frame.Find =
      TFindHandle(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &frame.Data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!frame.Find.Valid()) {
    const DWORD code = GetLastError();
    // Vanished meanwhile: nothing to list, and nothing to report either.
    Error = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                ? 0
                : static_cast<std::int32_t>(code);
    return false;
  }
  frame.HasEntry = true;
  frame.Self.Path = std::move(path);
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
  const bool opened = Open(root);
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
  return ChildPath(path) && Open(std::move(path));
}

std::unique_ptr<TDirectoryLister> TWin32DirectoryLister::CloneEmpty(std::size_t) const {
  return std::make_unique<TWin32DirectoryLister>();
}

bool TWin32DirectoryLister::HandOff(std::string_view, std::string_view, TDirectoryLister& other) {
  std::wstring path;
  if (!ChildPath(path)) return false;
  auto& receiver = static_cast<TWin32DirectoryLister&>(other);
  receiver.Error = 0;
  receiver.Outer = Outer;  // the loop guard looks at the whole walked path
  for (const TFrame& f : Frames) receiver.Outer.push_back(f.Self);
  if (!receiver.Open(std::move(path))) {
    Error = receiver.Error;
    return false;
  }
  return true;
}

bool TWin32DirectoryLister::HasMore() const {
  return !Frames.empty() && Frames.back().HasEntry;
}

bool TWin32DirectoryLister::Next(TDirEntry& entry) {
  Error = 0;
  if (Frames.empty()) return false;
  TFrame& top = Frames.back();
  if (!top.HasEntry) {
    Error = static_cast<std::int32_t>(top.EndError);
    return false;
  }
  const WIN32_FIND_DATAW& d = top.Data;
  top.LastName = d.cFileName;
  top.Name = Narrow(top.LastName);
  entry.Name = top.Name;
  entry.IsDirectory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  top.LastIsLink = entry.IsDirectory && (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  entry.Size = (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  entry.LastAccess = (static_cast<std::uint64_t>(d.ftLastAccessTime.dwHighDateTime) << 32) |
                     d.ftLastAccessTime.dwLowDateTime;
  entry.LastChange = (static_cast<std::uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) |
                     d.ftLastWriteTime.dwLowDateTime;
  entry.Error = 0;
  // A listing that fails part way ends here; what was read stays.
  top.HasEntry = FindNextFileW(top.Find.Get(), &top.Data) != 0;
  if (!top.HasEntry && GetLastError() != ERROR_NO_MORE_FILES) top.EndError = GetLastError();
  return true;
}

void TWin32DirectoryLister::Leave() {
  if (!Frames.empty()) Frames.pop_back();
}

}  // namespace Vellumetric
