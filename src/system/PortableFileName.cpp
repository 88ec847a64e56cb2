#include "system/PortableFileName.h"

#include <array>

namespace Vellumetric {
namespace {

// The device a name stands for on Windows, upper-cased ("LPT1" for "lpt1 .txt"), or empty. Windows
// looks only at the part before the first dot, without its trailing blanks.
std::string DeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  std::string upper(stem);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kPlain) {
    if (upper == device) return upper;
  }
  if (upper.size() < 4) return {};
  const std::string_view port = std::string_view(upper).substr(0, 3);
  if (port != "COM" && port != "LPT") return {};
  const std::string_view number = std::string_view(upper).substr(3);
  // The superscript digits one to three (UTF-8) name the same ports as 1 to 3.
  if ((number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
      number == "\xC2\xB2" || number == "\xC2\xB3") {
    return upper;
  }
  return {};
}

}  // namespace

std::string WindowsNameProblem(std::string_view name) {
  if (const std::string device = DeviceName(name); !device.empty()) {
    return device + " is a name Windows keeps for a device, with or without an extension.";
  }
  if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
    return "A file name can't end in a dot or a blank: Windows drops them from the name.";
  }
  return {};
}

}  // namespace Vellumetric
