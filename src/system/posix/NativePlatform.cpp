#include "system/NativePlatform.h"

#include <unistd.h>

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

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool StderrIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

std::string LegacyCodePageToUtf8(std::string_view bytes) {
  return Latin1ToUtf8(bytes);
}

void PrepareMemoryForScans() {
#if defined(M_ARENA_MAX)
  mallopt(M_ARENA_MAX, 1);
#endif
}

}  // namespace Vellumetric
