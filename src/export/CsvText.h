#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace Vellumetric {

// Builds CSV text by RFC 4180: one header row, fields separated by commas, records ended by CR
// LF, and a field that holds a comma, a double quote, a CR or an LF put in double quotes with
// its quotes doubled. The text is always UTF-8: bytes of a field that are not (a file name on
// POSIX may hold any byte) are written as U+FFFD, the same rule as the program's JSON.
class TCsvText {
 public:
  explicit TCsvText(std::initializer_list<std::string_view> header);

  TCsvText& Field(std::string_view text);
  TCsvText& Field(std::uint64_t number);
  void EndRow();

  [[nodiscard]] const std::string& Text() const noexcept { return Out; }

 private:
  std::string Out;
  bool RowStarted = false;
};

}  // namespace Vellumetric
