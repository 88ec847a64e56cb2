#include "system/NativePlatform.h"

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

void PrepareMemoryForScans() {
#if defined(M_ARENA_MAX)
  mallopt(M_ARENA_MAX, 1);
#endif
}

}  // namespace Vellumetric
