#include "system/BulkBlock.h"

#include <new>

namespace Vellumetric {

// Large pages on Windows need the lock-pages privilege, which a user's account does not hold.
void* AllocateBulkBlock(std::size_t bytes) noexcept {
  return ::operator new(bytes, std::nothrow);
}

void FreeBulkBlock(void* block, std::size_t) noexcept {
  ::operator delete(block);
}

}  // namespace Vellumetric
