#include "duplicates/ContentHash.h"

#include <new>

// Compiled into this file alone, so the Windows build needs only the header as well.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace Vellumetric {

namespace {

THash128 Converted(XXH128_hash_t h) noexcept {
  return {h.low64, h.high64};
}

}  // namespace

THash128 HashBytes(const void* data, std::size_t size) noexcept {
  return Converted(XXH3_128bits(data, size));
}

namespace {

XXH3_state_t* Xxh(void* state) noexcept {
  return static_cast<XXH3_state_t*>(state);
}

}  // namespace

TRunningHash::TRunningHash() : State(XXH3_createState()) {
  if (!State) throw std::bad_alloc();
  Reset();
}

TRunningHash::~TRunningHash() = default;

void TRunningHash::TFree::operator()(void* state) const noexcept {
  XXH3_freeState(Xxh(state));
}

void TRunningHash::Reset() noexcept {
  (void)XXH3_128bits_reset(Xxh(State.get()));
}

void TRunningHash::Add(const void* data, std::size_t size) noexcept {
  (void)XXH3_128bits_update(Xxh(State.get()), data, size);
}

THash128 TRunningHash::Digest() const noexcept {
  return Converted(XXH3_128bits_digest(Xxh(State.get())));
}

}  // namespace Vellumetric
