#include "system/SystemFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "system/posix/XdgUserDirs.h"

namespace Vellumetric {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string Home() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) home = pw->pw_dir;
  }
  return home;
}

// An XDG base directory: the variable when it holds an absolute path, else ~ + fallback.
std::string XdgBase(const char* variable, const char* fallback) {
  const std::string value = Env(variable);
  if (!value.empty() && value.front() == '/') return value;
  const std::string home = Home();
  return home.empty() ? std::string() : home + fallback;
}

std::string UserDir(const char* key, const char* fallbackName) {
  const std::string home = Home();
  if (home.empty()) return {};
  std::string path = home + "/" + fallbackName;
  std::ifstream in(XdgBase("XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
  if (in) {
    std::stringstream text;
    text << in.rdbuf();
    const auto dirs = ParseXdgUserDirs(text.str(), home);
    if (const auto it = dirs.find(key); it != dirs.end()) path = it->second;
  }
  return DirectoryExists(path) ? path : std::string();
}

}  // namespace

std::string GetAppDataFolder() {
  return XdgBase("XDG_DATA_HOME", "/.local/share");
}
std::string GetProfileFolder() {
  return Home();
}
std::string GetDocumentsFolder() {
  return UserDir("XDG_DOCUMENTS_DIR", "Documents");
}
std::string GetMusicFolder() {
  return UserDir("XDG_MUSIC_DIR", "Music");
}
std::string GetPicturesFolder() {
  return UserDir("XDG_PICTURES_DIR", "Pictures");
}
std::string GetVideosFolder() {
  return UserDir("XDG_VIDEOS_DIR", "Videos");
}
std::string GetWindowsFolder() {
  return {};
}

std::string GetInstallFolder() {
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return GetCurrentFolder();
  const std::string exe(buf.data(), static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string GetCurrentFolder() {
  std::vector<char> buf(4096);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE || buf.size() > (1u << 20)) return {};
    buf.resize(buf.size() * 2);
  }
  return buf.data();
}

bool DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
  if (!path.empty()) ::mkdir(path.c_str(), 0700);
  return DirectoryExists(path);
}

bool CreateFolderPath(const std::string& path) {
  if (path.empty() || DirectoryExists(path)) return DirectoryExists(path);
  const std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !CreateFolderPath(path.substr(0, slash))) {
    return false;
  }
  return CreateFolder(path);
}

std::string JoinNativePath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '/') path.push_back('/');
  path.append(name);
  return path;
}

std::uint64_t GetTotalPhysicalMemoryMB() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long size = ::sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || size <= 0) return 0;
  return (static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size)) >> 20;
}

}  // namespace Vellumetric
