#include "system/win32/TWin32DirectoryLister.h"

#include "system/win32/WideText.h"

namespace Vellumetric {

bool TWin32DirectoryLister::Open(std::string_view path) {
  const std::wstring pattern = Widen(path) + L"\\*";
  TFrame frame;
  frame.Find = TFindHandle(FindFirstFileW(pattern.c_str(), &frame.Data));
  if (!frame.Find.Valid()) {
    const DWORD code = GetLastError();
    // Vanished meanwhile: nothing to list, and nothing to report either.
    Error = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                ? 0
                : static_cast<std::int32_t>(code);
    return false;
  }
  frame.HasEntry = true;
  Frames.push_back(std::move(frame));
  return true;
}

bool TWin32DirectoryLister::EnterRoot(std::string_view path, bool) {
  Error = 0;
  const bool opened = Open(path);
  if (!opened && Error == 0) Error = ERROR_PATH_NOT_FOUND;  // the root itself is worth saying
  return opened;
}

bool TWin32DirectoryLister::EnterChild(std::string_view, std::string_view fullPath) {
  Error = 0;
  return Open(fullPath);
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
  top.Name = Narrow(d.cFileName);
  entry.Name = top.Name;
  entry.IsDirectory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.Size = (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  entry.LastAccess = (static_cast<std::uint64_t>(d.ftLastAccessTime.dwHighDateTime) << 32) |
                     d.ftLastAccessTime.dwLowDateTime;
  // A listing that fails part way ends here; what was read stays.
  top.HasEntry = FindNextFileW(top.Find.Get(), &top.Data) != 0;
  if (!top.HasEntry && GetLastError() != ERROR_NO_MORE_FILES) top.EndError = GetLastError();
  return true;
}

void TWin32DirectoryLister::Leave() {
  if (!Frames.empty()) Frames.pop_back();
}

}  // namespace Vellumetric
