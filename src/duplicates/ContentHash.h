#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Vellumetric {

// An XXH3 128-bit digest: fast enough that reading, not hashing, sets the pace.
struct THash128 {
  std::uint64_t Low = 0;
  std::uint64_t High = 0;

  friend auto operator<=>(const THash128&, const THash128&) = default;
};

[[nodiscard]] THash128 HashBytes(const void* data, std::size_t size) noexcept;

// A digest of bytes given piece by piece, equal to HashBytes of them all.
class TRunningHash {
 public:
  TRunningHash();
  ~TRunningHash();
  TRunningHash(const TRunningHash&) = delete;
  TRunningHash& operator=(const TRunningHash&) = delete;

  void Reset() noexcept;
  void Add(const void* data, std::size_t size) noexcept;
  template <class T>
  void AddValue(const T& value) noexcept {
    Add(&value, sizeof(value));
  }
  [[nodiscard]] THash128 Digest() const noexcept;

 private:
  // xxHash's own state, kept out of this header so that only one file sees the library.
  struct TFree {
    void operator()(void* state) const noexcept;
  };
  std::unique_ptr<void, TFree> State;
};

}  // namespace Vellumetric
