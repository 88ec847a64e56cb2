#include "exchange/ScanFileKind.h"

#include "exchange/TCompressedInput.h"

namespace Vellumetric {

TScanFileKind DetectScanFile(const std::string& path, std::string& error) {
  TCompressedInput input;
  if (!input.Open(path, error)) return TScanFileKind::Unreadable;
  char buffer[512];
  for (;;) {
    const std::size_t n = input.Read(buffer, sizeof buffer);
    if (n == 0) break;
    for (std::size_t i = 0; i < n; ++i) {
      const char c = buffer[i];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
      return c == '[' ? TScanFileKind::NcduExport : TScanFileKind::Other;
    }
  }
  if (!input.Error().empty()) {
    error = input.Error();
    return TScanFileKind::Unreadable;
  }
  return TScanFileKind::Other;
}

}  // namespace Vellumetric
