#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "system/BulkBlock.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace Vellumetric {
namespace {

// Blocks of awkward sizes, each filled end to end with its own byte and then read back: a block
// cut short (its start moved to a large page's boundary, its tail trimmed) faults on the fill,
// and blocks that overlap overwrite each other's bytes.
TEST(BulkBlock, HoldsEveryByteAskedForAndNoOtherBlocksBytes) {
  const std::size_t sizes[] = {1, 4095, (std::size_t{1} << 20) + 1, (std::size_t{3} << 20) + 12345,
                               std::size_t{9} << 20};
  std::vector<std::pair<unsigned char*, std::size_t>> blocks;
  for (const std::size_t size : sizes) {
    auto* block = static_cast<unsigned char*>(AllocateBulkBlock(size));
    ASSERT_NE(block, nullptr) << size;
    std::memset(block, static_cast<int>(blocks.size() + 1), size);
    blocks.emplace_back(block, size);
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const auto [block, size] = blocks[i];
    const auto mine = static_cast<unsigned char>(i + 1);
    std::size_t wrong = 0;
    for (std::size_t at = 0; at < size; at += 997) wrong += block[at] != mine;
    EXPECT_EQ(wrong, 0U) << "block of " << size << " bytes";
    EXPECT_EQ(block[size - 1], mine) << "block of " << size << " bytes";
  }
#if defined(__linux__)
  // Only a block that starts on a large page's boundary can be backed by large pages.
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks.back().first) % (std::uintptr_t{2} << 20), 0U);
#endif
  for (const auto& [block, size] : blocks) FreeBulkBlock(block, size);
}

// A part given back reads as zeros in its whole pages and nowhere else: the bytes of the pages it
// only partly covers, and every byte around it, are as they were.
TEST(BulkBlock, ReleasedBytesReadAsZerosAndTheirNeighboursAreKept) {
#if defined(_WIN32)
  const std::size_t page = 4096;
#else
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
#endif
  const std::size_t size = 256 * page * 3;
  auto* block = static_cast<unsigned char*>(AllocateBulkBlock(size));
  ASSERT_NE(block, nullptr);
  std::memset(block, 0x5A, size);
  const std::size_t from = 5 * page + 100;  // from inside a page
  const std::size_t to = 256 * page + 3 * page + 7;
  ReleaseBulkBytes(block + from, to - from);
  const std::size_t zeroFrom = 6 * page;
  const std::size_t zeroTo = 256 * page + 3 * page;
  std::size_t wrong = 0;
  for (std::size_t at = 0; at < size; ++at) {
    wrong += block[at] != (at >= zeroFrom && at < zeroTo ? 0 : 0x5A);
  }
  EXPECT_EQ(wrong, 0U);
  // Written again, the pages hold what is written.
  std::memset(block + zeroFrom, 0x33, zeroTo - zeroFrom);
  EXPECT_EQ(block[zeroFrom], 0x33);
  EXPECT_EQ(block[zeroTo - 1], 0x33);
  ReleaseBulkBytes(block + 10, 100);  // no whole page inside: nothing changes
  EXPECT_EQ(block[10], 0x5A);
  FreeBulkBlock(block, size);
}

}  // namespace
}  // namespace Vellumetric
