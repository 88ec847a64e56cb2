#pragma once

#include <string>
#include <string_view>

namespace Vellumetric {

// Appends `text` as a JSON string literal. File names need not be valid UTF-8 on POSIX: every
// byte that does not start a well-formed sequence becomes U+FFFD, so the output always parses.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace Vellumetric
