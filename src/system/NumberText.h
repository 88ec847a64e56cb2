#pragma once

#include <cstdint>
#include <string_view>

namespace Vellumetric {

// Decimal text to a number, or `fallback` when the text is not one: leading blanks and a sign
// are allowed; anything else, an empty text or a value out of range gives the fallback.
// "12x" -> fallback, "-5" -> -5, "" -> fallback.
[[nodiscard]] std::int32_t StrToIntDefault(std::string_view text, std::int32_t fallback) noexcept;
[[nodiscard]] std::int64_t StrToInt64Default(std::string_view text, std::int64_t fallback) noexcept;

}  // namespace Vellumetric
