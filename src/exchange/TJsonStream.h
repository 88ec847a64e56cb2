#pragma once

#include <atomic>
#include <bit>
#include <cstddef>
#include <string_view>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "exchange/TCompressedInput.h"

namespace Vellumetric {

// RapidJSON's input stream over the decompressed bytes, read in large chunks. A NUL follows the
// bytes read, so a character is checked for the chunk's end only when it is a NUL: RapidJSON
// asks for every character of an export at least once.
class TJsonStream {
 public:
  using Ch = char;

  explicit TJsonStream(TCompressedInput& input, std::atomic<std::size_t>& progress)
      : Input(input), Progress(progress), Buffer(kChunk + 1, '\0') {}

  Ch Peek() {
    const char c = *Cur;
    return c == '\0' && Cur == Last ? Fill() : c;
  }
  Ch Take() {
    char c = *Cur;
    if (c == '\0' && Cur == Last) {
      c = Fill();
      if (c == '\0') return c;  // the end: nothing to take
    }
    ++Cur;
    return c;
  }
  [[nodiscard]] std::size_t Tell() const {
    return Consumed + static_cast<std::size_t>(Cur - Buffer.data());
  }
  // The bytes read but not yet taken, so a string's plain run can be copied at once.
  [[nodiscard]] std::string_view Unread() const {
    return {Cur, static_cast<std::size_t>(Last - Cur)};
  }
  void Skip(std::size_t n) { Cur += n; }

  // Writing is never asked of an input stream by the reader without in-situ parsing.
  Ch* PutBegin() { return nullptr; }
  void Put(Ch) {}
  void Flush() {}
  std::size_t PutEnd(Ch*) { return 0; }

 private:
  static constexpr std::size_t kChunk = 256 * 1024;

  // The next chunk's first character, or NUL at the end of the input.
  char Fill() {
    Consumed += static_cast<std::size_t>(Last - Buffer.data());
    const std::size_t got = Input.Read(Buffer.data(), kChunk);
    Cur = Buffer.data();
    Last = Cur + got;
    *Last = '\0';
    Progress.store(Consumed + got, std::memory_order_relaxed);
    return *Cur;
  }

  TCompressedInput& Input;
  std::atomic<std::size_t>& Progress;
  std::vector<char> Buffer;
  char* Cur = Buffer.data();
  char* Last = Buffer.data();  // the NUL after the bytes read
  std::size_t Consumed = 0;
};

// Found by argument-dependent lookup ahead of RapidJSON's generic loop, which RapidJSON calls
// before every token: between tokens of an export there is seldom more than a newline.
inline void SkipWhitespace(TJsonStream& is) {
  for (;;) {
    const char c = is.Peek();
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return;
    is.Take();
  }
}

// The length of the plain run at the start of `text`: up to a quote, a backslash or a byte
// below 0x20, whatever ends a JSON string's bytes that need no decoding.
inline std::size_t PlainRunLength(std::string_view text) {
  std::size_t n = 0;
#ifdef __SSE2__
  // Sixteen bytes at a time while sixteen are there.
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i below = _mm_set1_epi8(0x1f);
  while (text.size() - n >= 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + n));
    const __m128i stop =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, quote), _mm_cmpeq_epi8(b, backslash)),
                     _mm_cmpeq_epi8(_mm_max_epu8(b, below), below));
    const int mask = _mm_movemask_epi8(stop);
    if (mask != 0)
      return n + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
    n += 16;
  }
#endif
  while (n < text.size()) {
    const auto c = static_cast<unsigned char>(text[n]);
    if (c == '"' || c == '\\' || c < 0x20) break;
    ++n;
  }
  return n;
}
}  // namespace Vellumetric
