#include "Numbered.h"

namespace Vellumetric::Testing {

std::string Numbered(std::string_view prefix, long long n) {
  std::string text(prefix);
  text += std::to_string(n);
  return text;
}

}  // namespace Vellumetric::Testing
