#include "system/Formatting.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace Vellumetric {
namespace {

struct TConversion {
  bool LeftAlign = false;
  int Width = 0;
  int Precision = -1;
  char Type = 0;
};

std::int64_t AsSigned(const TFormatArg& a) {
  if (auto* i = std::get_if<std::int64_t>(&a.Value)) return *i;
  if (auto* u = std::get_if<std::uint64_t>(&a.Value)) return static_cast<std::int64_t>(*u);
  if (auto* d = std::get_if<double>(&a.Value)) return static_cast<std::int64_t>(*d);
  return 0;
}

double AsDouble(const TFormatArg& a) {
  if (auto* i = std::get_if<std::int64_t>(&a.Value)) return static_cast<double>(*i);
  if (auto* u = std::get_if<std::uint64_t>(&a.Value)) return static_cast<double>(*u);
  if (auto* d = std::get_if<double>(&a.Value)) return *d;
  return 0.0;
}

std::string Digits(const TFormatArg& a, char type, int precision) {
  char buf[64];
  if (type == 'x') {
    const auto v = static_cast<std::uint32_t>(AsSigned(a));
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(v));
  } else if (const auto* u = std::get_if<std::uint64_t>(&a.Value)) {
    std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(*u));
  } else {
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(AsSigned(a)));
  }
  std::string text(buf);
  const bool negative = !text.empty() && text[0] == '-';
  const std::size_t digits = text.size() - (negative ? 1 : 0);
  if (precision > 0 && digits < static_cast<std::size_t>(precision)) {
    text.insert(negative ? 1 : 0, static_cast<std::size_t>(precision) - digits, '0');
  }
  return text;
}

std::string Fixed(double value, int precision, std::string_view separator) {
  // to_chars ignores the C locale: a process that called setlocale (every Qt program does) would
  // otherwise print the locale's comma, and the separator asked for here would never be applied.
  std::vector<char> buf(400);
  const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                    std::chars_format::fixed, precision < 0 ? 2 : precision);
  std::string text(buf.data(), result.ec == std::errc{} ? result.ptr : buf.data());
  if (const auto dot = text.find('.'); dot != std::string::npos) {
    text.replace(dot, 1, separator);
  }
  return text;
}

// Widths count characters as the program's UTF-16 texts did, not UTF-8 bytes.
std::size_t DisplayLength(std::string_view text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) != 0x80) units += b >= 0xF0 ? 2 : 1;
  }
  return units;
}

std::string Render(const TConversion& conv, const TFormatArg* arg, std::string_view separator) {
  std::string body;
  if (arg != nullptr) {
    switch (conv.Type) {
      case 'd':
      case 'x':
        body = Digits(*arg, conv.Type, conv.Precision);
        break;
      case 'f':
        body = Fixed(AsDouble(*arg), conv.Precision, separator);
        break;
      default:
        if (auto* s = std::get_if<std::string_view>(&arg->Value)) body = std::string(*s);
        if (conv.Precision >= 0 && body.size() > static_cast<std::size_t>(conv.Precision)) {
          body.resize(static_cast<std::size_t>(conv.Precision));
        }
    }
  }
  const std::size_t length = DisplayLength(body);
  if (length < static_cast<std::size_t>(conv.Width)) {
    const std::size_t pad = static_cast<std::size_t>(conv.Width) - length;
    body.insert(conv.LeftAlign ? body.size() : 0, pad, ' ');
  }
  return body;
}

// Reads "[-][0][width][.precision]type" after a '%'; returns false on a malformed conv.
bool ParseConversion(std::string_view p, std::size_t& i, TConversion& conv) {
  auto number = [&](int& out) {
    out = 0;
    while (i < p.size() && p[i] >= '0' && p[i] <= '9') out = out * 10 + (p[i++] - '0');
  };
  while (i < p.size() && (p[i] == '-' || p[i] == '0')) {
    if (p[i] == '-') conv.LeftAlign = true;
    ++i;
  }
  number(conv.Width);
  if (i < p.size() && p[i] == '.') {
    ++i;
    number(conv.Precision);
  }
  if (i >= p.size()) return false;
  const char t = static_cast<char>(p[i] | 0x20);  // %D and %X work too
  if (t != 'd' && t != 'x' && t != 'f' && t != 's') return false;
  conv.Type = t;
  ++i;
  return true;
}

}  // namespace

std::string FormatPattern(std::string_view pattern, std::initializer_list<TFormatArg> args,
                          std::string_view decimalSeparator) {
  std::string out;
  const TFormatArg* next = args.begin();
  for (std::size_t i = 0; i < pattern.size();) {
    if (pattern[i] != '%') {
      out.push_back(pattern[i++]);
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out.push_back('%');
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    TConversion conv;
    if (!ParseConversion(pattern, j, conv)) {
      out.append(pattern.substr(i, j - i));  // not a conversion: kept as text
      i = j;
      continue;
    }
    const TFormatArg* arg = next != args.end() ? next++ : nullptr;
    out += Render(conv, arg, decimalSeparator);
    i = j;
  }
  return out;
}

std::string FormatSize(std::uint64_t size, int decimals, std::string_view decimalSeparator) {
  // A uint64 divided by a power of two is exact in long double; the one rounding is to float.
  const long double exact = static_cast<long double>(size);
  const char* pattern = decimals == 1 ? "%8.1f" : "%8.2f";
  const float g = static_cast<float>(exact / 1073741824.0L);
  if (g >= 1.0f) return FormatPattern(pattern, {double{g}}, decimalSeparator) + " GB";
  const float m = static_cast<float>(exact / 1048576.0L);
  if (m >= 1.0f) return FormatPattern(pattern, {double{m}}, decimalSeparator) + " MB";
  const float k = static_cast<float>(exact / 1024.0L);
  return FormatPattern(pattern, {double{k}}, decimalSeparator) + " KB";
}

std::string FormatSizeChange(std::int64_t change, std::string_view decimalSeparator) {
  const std::uint64_t magnitude =
      change < 0 ? 0 - static_cast<std::uint64_t>(change) : static_cast<std::uint64_t>(change);
  std::string text = FormatSize(magnitude, 2, decimalSeparator);
  if (change == 0) return text;
  const char sign = change > 0 ? '+' : '-';
  const std::size_t digits = text.find_first_not_of(' ');
  if (digits == 0 || digits == std::string::npos) return sign + text;
  text[digits - 1] = sign;
  return text;
}

}  // namespace Vellumetric
