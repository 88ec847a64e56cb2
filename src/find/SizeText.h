#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Vellumetric {

// Which end of a size range a text gives.
enum class TSizeBound { Minimum, Maximum };

// Reads a size as users type it: a number with an optional fraction and an optional binary unit
// (K = 1024, M, G, T, P, E; "KB", "KiB" and a plain "B" are accepted too, in any case), e.g.
// "500K", "1.5G", "4096". A minimum may start with ">" (strictly larger) or ">=", a maximum
// with "<" (strictly smaller) or "<="; a plain number includes the size itself. The answer is
// the inclusive bound in bytes (a fraction of a unit is rounded down to whole bytes). False, with
// `error` saying what is wrong, for anything else: a bound of the other kind, a negative or
// fractional byte count, an unknown unit, a value beyond 2^64 - 1, or a range that holds no size
// at all ("<0").
[[nodiscard]] bool ParseSizeBound(std::string_view text, TSizeBound kind, std::uint64_t& bytes,
                                  std::string& error);

}  // namespace Vellumetric
