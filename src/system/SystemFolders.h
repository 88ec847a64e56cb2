#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Vellumetric {

// The user's folders and a few file-system services, as the platform provides them. A folder
// that cannot be determined gives an empty text.

// Roaming application data (POSIX: $XDG_DATA_HOME, else ~/.local/share), whether or not it exists.
[[nodiscard]] std::string GetAppDataFolder();
[[nodiscard]] std::string GetProfileFolder();
// Documents, music, pictures, videos: the user's folders (POSIX: XDG user directories); empty
// when the folder does not exist.
[[nodiscard]] std::string GetDocumentsFolder();
[[nodiscard]] std::string GetMusicFolder();
[[nodiscard]] std::string GetPicturesFolder();
[[nodiscard]] std::string GetVideosFolder();
// The Windows folder; empty where there is none.
[[nodiscard]] std::string GetWindowsFolder();

// Where the program is installed. POSIX: the running executable's folder, else the current
// folder. Windows: the "Path" value of the product's registry key; the current folder when the
// key is missing, an empty text when the key has no such value.
[[nodiscard]] std::string GetInstallFolder();
[[nodiscard]] std::string GetCurrentFolder();
[[nodiscard]] bool DirectoryExists(const std::string& path);
// Creates one folder level; an existing folder is no error. True when the folder exists after.
bool CreateFolder(const std::string& path);
// Creates the folder and any missing parents; true when it exists after.
bool CreateFolderPath(const std::string& path);
// Joins with the platform's separator.
[[nodiscard]] std::string JoinNativePath(std::string_view folder, std::string_view name);

[[nodiscard]] std::uint64_t GetTotalPhysicalMemoryMB();

}  // namespace Vellumetric
