#include "export/JsonText.h"

#include <cstdint>
#include <cstdio>

#include "system/TextEncoding.h"

namespace Vellumetric {

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (std::size_t i = 0; i < text.size();) {
    // Names and paths are mostly ASCII that needs no escape: such a run is copied at once.
    std::size_t plain = i;
    while (plain < text.size()) {
      const auto c = static_cast<unsigned char>(text[plain]);
      if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') break;
      ++plain;
    }
    out.append(text.data() + i, plain - i);
    i = plain;
    if (i == text.size()) break;
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) {
      out.append("\xEF\xBF\xBD");
      ++i;
      continue;
    }
    const char c = text[i];
    if (len > 1) {
      out.append(text.substr(i, len));
    } else if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out.append(buf);
    } else {
      out.push_back(c);
    }
    i += len;
  }
  out.push_back('"');
}

}  // namespace Vellumetric
