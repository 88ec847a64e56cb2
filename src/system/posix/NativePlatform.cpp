#include "system/NativePlatform.h"

#include "system/posix/TPosixDirectoryLister.h"

namespace Vellumetric {

TPathStyle NativePathStyle() { return TPathStyle::Posix; }

std::unique_ptr<TDirectoryLister> CreateDirectoryLister() {
  return std::make_unique<TPosixDirectoryLister>();
}

}  // namespace Vellumetric
