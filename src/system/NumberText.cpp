#include "system/NumberText.h"

#include <charconv>

namespace Vellumetric {
namespace {

template <class T>
T Convert(std::string_view text, T fallback) noexcept {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  text.remove_prefix(i);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return fallback;
  }
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return fallback;
  return value;
}

}  // namespace

std::int32_t StrToIntDefault(std::string_view text, std::int32_t fallback) noexcept {
  return Convert<std::int32_t>(text, fallback);
}

std::int64_t StrToInt64Default(std::string_view text, std::int64_t fallback) noexcept {
  return Convert<std::int64_t>(text, fallback);
}

}  // namespace Vellumetric
