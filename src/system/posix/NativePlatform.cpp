#include "system/NativePlatform.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "system/TextEncoding.h"
#include "system/posix/TPosixDirectoryLister.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Vellumetric {

TPathStyle NativePathStyle() {
  return TPathStyle::Posix;
}

std::unique_ptr<TDirectoryLister> CreateDirectoryLister() {
  return std::make_unique<TPosixDirectoryLister>();
}

std::string SystemErrorText(std::int32_t code) {
  char buffer[256];
  // The GNU strerror_r returns its text (possibly a static one); the XSI one fills the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
  return ::strerror_r(code, buffer, sizeof buffer);
#else
  if (::strerror_r(code, buffer, sizeof buffer) != 0) return "Error " + std::to_string(code);
  return buffer;
#endif
}

std::int32_t UnknownReadErrorCode() {
  return EIO;
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool StderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

std::string LegacyCodePageToUtf8(std::string_view bytes) {
  return Latin1ToUtf8(bytes);
}

std::int32_t LocalUtcOffset(std::int64_t unixSeconds) {
  const auto t = static_cast<std::time_t>(unixSeconds);
  struct tm local {};
  if (::localtime_r(&t, &local) == nullptr) return 0;
  return static_cast<std::int32_t>(local.tm_gmtoff);
}

void PrepareMemoryForScans() {
#if defined(M_ARENA_MAX)
  mallopt(M_ARENA_MAX, 1);
#endif
}

// Linux keeps a nice value per thread, which the threads it starts later inherit; other systems
// keep the priority as it is.
void LowerThisThreadPriority() {
#if defined(__linux__)
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
#endif
}

}  // namespace Vellumetric
