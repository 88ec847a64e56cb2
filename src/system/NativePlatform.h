#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "system/PathRules.h"
#include "system/TDirectoryLister.h"

namespace Vellumetric {

// The back end chosen at build time.
[[nodiscard]] TPathStyle NativePathStyle();
[[nodiscard]] std::unique_ptr<TDirectoryLister> CreateDirectoryLister();
// The system's own words for an error code of the directory listing ("Permission denied").
[[nodiscard]] std::string SystemErrorText(std::int32_t code);
// The code for "could not be read" when the reason is not known (a scan read from a file that
// only says an entry was unreadable).
[[nodiscard]] std::int32_t UnknownReadErrorCode();
// Whether `path` (UTF-8) names a regular file, through links: one system call, for checks made
// once per folder of a scan, where building a std::filesystem::path costs more than the call.
[[nodiscard]] bool IsRegularFile(const std::string& path);
// Whether anything (file, folder, link's target) is at `path`; the same one call.
[[nodiscard]] bool PathExists(const std::string& path);

// Called once at program start: lets the scan worker allocate from the same heap as the rest of
// the program, which grows in large steps, instead of a per-thread heap that glibc grows one
// page (one mprotect call) at a time.
void PrepareMemoryForScans();
// Lets the calling thread yield the processor to the interface: for long work beside a window.
void LowerThisThreadPriority();

// The program's arguments as UTF-8 (on Windows they are read as wide text, not from argv).
[[nodiscard]] std::vector<std::string> CommandLineArguments(int argc, char** argv);
[[nodiscard]] bool StderrIsTerminal();
// How far local time is ahead of UTC at the moment `unixSeconds` (seconds since 1970), in
// seconds: the system's time zone rules, daylight saving included.
[[nodiscard]] std::int32_t LocalUtcOffset(std::int64_t unixSeconds);
// Single-byte text of the older form to UTF-8: the ANSI code page on Windows, Latin-1 elsewhere.
[[nodiscard]] std::string LegacyCodePageToUtf8(std::string_view bytes);

}  // namespace Vellumetric
