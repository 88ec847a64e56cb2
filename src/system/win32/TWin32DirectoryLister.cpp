#include "system/win32/TWin32DirectoryLister.h"

#include "system/win32/WideText.h"

namespace Vellumetric {

bool TWin32DirectoryLister::Open(std::string_view path) {
  const std::wstring pattern = Widen(path) + L"\\*";
  TFrame frame;
  frame.Find = TFindHandle(FindFirstFileW(pattern.c_str(), &frame.Data));
  if (!frame.Find.Valid()) return false;
  frame.HasEntry = true;
  Frames.push_back(std::move(frame));
  return true;
}

bool TWin32DirectoryLister::EnterRoot(std::string_view path, bool) {
  return Open(path);
}

bool TWin32DirectoryLister::EnterChild(std::string_view, std::string_view fullPath) {
  return Open(fullPath);
}

bool TWin32DirectoryLister::Next(TDirEntry& entry) {
  if (Frames.empty()) return false;
  TFrame& top = Frames.back();
  if (!top.HasEntry) return false;
  const WIN32_FIND_DATAW& d = top.Data;
  top.Name = Narrow(d.cFileName);
  entry.Name = top.Name;
  entry.IsDirectory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.Size = (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  entry.LastAccess = (static_cast<std::uint64_t>(d.ftLastAccessTime.dwHighDateTime) << 32) |
                     d.ftLastAccessTime.dwLowDateTime;
  // A listing that fails part way ends here; what was read stays.
  top.HasEntry = FindNextFileW(top.Find.Get(), &top.Data) != 0;
  return true;
}

void TWin32DirectoryLister::Leave() {
  if (!Frames.empty()) Frames.pop_back();
}

}  // namespace Vellumetric
