#pragma once

#include <atomic>
#include <cstdint>

namespace Vellumetric {

// How far a search has come, written by the search and read by anyone. BytesToRead starts as
// every candidate's full size and shrinks as files are set aside without being read to their end,
// so the two meet when the search ends.
struct TDuplicateProgress {
  std::atomic<std::uint64_t> BytesRead{0};
  std::atomic<std::uint64_t> BytesToRead{0};
  std::atomic<std::uint64_t> Groups{0};  // sets of equal files found so far
};

}  // namespace Vellumetric
