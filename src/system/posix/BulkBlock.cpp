#include "system/BulkBlock.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace Vellumetric {
namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

std::uintptr_t WholePages(std::uintptr_t bytes) {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

}  // namespace

// Mapped a large page more than asked, then trimmed to start on a large page's boundary: only
// whole aligned large pages can back it, and malloc's blocks of this size start just past one.
void* AllocateBulkBlock(std::size_t bytes) noexcept {
  if (bytes == 0 || bytes > SIZE_MAX / 2) return nullptr;
  const std::uintptr_t length = WholePages(bytes);
  const std::uintptr_t span = length + kLargePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto from = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = (from + kLargePage - 1) & ~(kLargePage - 1);
  if (start > from) (void)::munmap(raw, start - from);
  if (from + span > start + length) {
    (void)::munmap(reinterpret_cast<void*>(start + length), from + span - (start + length));
  }
#if defined(MADV_HUGEPAGE)
  (void)::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(start);
}

void FreeBulkBlock(void* block, std::size_t bytes) noexcept {
  if (block != nullptr) (void)::munmap(block, WholePages(bytes));
}

// A private anonymous mapping reads as zeros after MADV_DONTNEED, so nothing can read freed
// memory; only whole pages inside the range go, so a neighbour's bytes are never touched.
void ReleaseBulkBytes(void* from, std::size_t bytes) noexcept {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto at = reinterpret_cast<std::uintptr_t>(from);
  const std::uintptr_t start = (at + page - 1) / page * page;
  const std::uintptr_t end = (at + bytes) / page * page;
  if (from == nullptr || end <= start) return;
  (void)::madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}

}  // namespace Vellumetric
