#include "export/CsvText.h"

#include "system/TextEncoding.h"

namespace Vellumetric {
namespace {

bool NeedsQuotes(std::string_view text) {
  return text.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

TCsvText::TCsvText(std::initializer_list<std::string_view> header) {
  for (const std::string_view name : header) Field(name);
  EndRow();
}

TCsvText& TCsvText::Field(std::string_view text) {
  if (RowStarted) Out.push_back(',');
  RowStarted = true;
  const bool quoted = NeedsQuotes(text);
  if (quoted) Out.push_back('"');
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      Out.append("\xEF\xBF\xBD");
      ++i;
      continue;
    }
    if (text[i] == '"') Out.push_back('"');
    Out.append(text.substr(i, length));
    i += length;
  }
  if (quoted) Out.push_back('"');
  return *this;
}

TCsvText& TCsvText::Field(std::uint64_t number) {
  return Field(std::string_view(std::to_string(number)));
}

void TCsvText::EndRow() {
  Out.append("\r\n");
  RowStarted = false;
}

}  // namespace Vellumetric
