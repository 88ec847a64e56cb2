#include "system/SystemFolders.h"

// windows.h first: shlobj.h builds on its types.
#include <windows.h>

#include <shlobj.h>

#include <vector>

#include "system/win32/TWin32Handles.h"
#include "system/win32/WideText.h"

namespace Vellumetric {
namespace {

// The shell's folder for a CSIDL (no token, the folder's current path); empty on failure.
std::string ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, 0, path) != S_OK) return {};
  return Narrow(path);
}

}  // namespace

std::string GetAppDataFolder() {
  return ShellFolder(CSIDL_APPDATA);
}
std::string GetProfileFolder() {
  return ShellFolder(CSIDL_PROFILE);
}
std::string GetDocumentsFolder() {
  return ShellFolder(CSIDL_PERSONAL);
}
std::string GetMusicFolder() {
  return ShellFolder(CSIDL_MYMUSIC);
}
std::string GetPicturesFolder() {
  return ShellFolder(CSIDL_MYPICTURES);
}
std::string GetVideosFolder() {
  return ShellFolder(CSIDL_MYVIDEO);
}

std::string GetWindowsFolder() {
  std::vector<wchar_t> buf(32767);
  const UINT n = GetWindowsDirectoryW(buf.data(), static_cast<UINT>(buf.size()));
  return n == 0 || n >= buf.size() ? std::string() : Narrow(std::wstring_view(buf.data(), n));
}

// The product key missing: the current folder. The key without "Path": an empty text, which
// start-up then refuses.
std::string GetInstallFolder() {
  TRegistryKey key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quendrix Vellumetric");
  if (!key.Valid()) return GetCurrentFolder();
  wchar_t value[513] = {};
  DWORD bytes = 1024;
  DWORD type = 0;
  if (RegQueryValueExW(key.Get(), L"Path", nullptr, &type, reinterpret_cast<BYTE*>(value),
                       &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  return Narrow(std::wstring_view(value, wcsnlen(value, bytes / sizeof(wchar_t))));
}

std::string GetCurrentFolder() {
  std::vector<wchar_t> buf(32767);
  const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
  return n == 0 || n >= buf.size() ? std::string() : Narrow(std::wstring_view(buf.data(), n));
}

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::string& path) {
  if (!path.empty()) CreateDirectoryW(Widen(path).c_str(), nullptr);
  return DirectoryExists(path);
}

bool CreateFolderPath(const std::string& path) {
  if (path.empty() || DirectoryExists(path)) return DirectoryExists(path);
  const std::size_t sep = path.find_last_of("\\/");
  if (sep != std::string::npos && sep > 2 && !CreateFolderPath(path.substr(0, sep))) return false;
  return CreateFolder(path);
}

// Always one backslash, no normalisation: "C:\Users\Ann\AppData\Roaming" + "\" + name.
std::string JoinNativePath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  path.push_back('\\');
  path.append(name);
  return path;
}

std::uint64_t GetTotalPhysicalMemoryMB() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return status.ullTotalPhys >> 20;
}

}  // namespace Vellumetric
