#include "system/BulkBlock.h"

#include <windows.h>

#include <cstdint>

namespace Vellumetric {
namespace {

constexpr std::uintptr_t kPage = 4096;

}  // namespace

// Large pages on Windows need the lock-pages privilege, which a user's account does not hold:
// the block is plain committed memory, taken straight from the system so that parts of it can be
// given back (ReleaseBulkBytes) before the whole.
void* AllocateBulkBlock(std::size_t bytes) noexcept {
  if (bytes == 0) return nullptr;
  return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeBulkBlock(void* block, std::size_t) noexcept {
  if (block != nullptr) (void)::VirtualFree(block, 0, MEM_RELEASE);
}

// Decommitted pages fault when read; committed again at once, they read as zeros and take no
// memory until written, as on the other systems.
void ReleaseBulkBytes(void* from, std::size_t bytes) noexcept {
  const auto at = reinterpret_cast<std::uintptr_t>(from);
  const std::uintptr_t start = (at + kPage - 1) / kPage * kPage;
  const std::uintptr_t end = (at + bytes) / kPage * kPage;
  if (from == nullptr || end <= start) return;
  void* pages = reinterpret_cast<void*>(start);
  if (::VirtualFree(pages, end - start, MEM_DECOMMIT)) {
    (void)::VirtualAlloc(pages, end - start, MEM_COMMIT, PAGE_READWRITE);
  }
}

}  // namespace Vellumetric
