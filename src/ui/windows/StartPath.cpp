#include "ui/windows/StartPath.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "exchange/ScanFileKind.h"
#include "system/TextEncoding.h"

namespace Vellumetric {

namespace {

// UTF-8 text of a path, the form the rest of the program keeps paths in (string() would give
// the ANSI code page on Windows).
std::string Utf8Text(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

}  // namespace

bool ResolveStartFolder(const std::string& argument, std::string& folder, std::string& message) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path given = Utf8Path(argument);
  if (!fs::is_directory(given, error)) {
    message = "not a folder: " + argument + (error ? " (" + error.message() + ")" : "");
    return false;
  }
  fs::path absolute = fs::absolute(given, error).lexically_normal();
  // A trailing separator leaves an empty last part; "/" and "C:\" keep theirs.
  if (absolute.has_relative_path() && absolute.filename().empty()) {
    absolute = absolute.parent_path();
  }
  folder = Utf8Text(absolute);
  return true;
}

bool ResolveStartArgument(const std::string& argument, TStartTarget& target, std::string& message) {
  namespace fs = std::filesystem;
  target = {};
  std::string extension = argument.size() >= 4 ? argument.substr(argument.size() - 4) : "";
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::error_code error;
  const fs::path given = Utf8Path(argument);
  if (extension != ".sbf" && fs::is_regular_file(given, error)) {
    std::string why;
    if (DetectScanFile(argument, why) != TScanFileKind::NcduExport) {
      message = "not a folder, a summary file or a scan file: " + argument +
                (why.empty() ? "" : " (" + why + ")");
      return false;
    }
    target.ScanFile = Utf8Text(fs::absolute(given, error).lexically_normal());
    return true;
  }
  if (extension != ".sbf" || fs::is_directory(given, error)) {
    return ResolveStartFolder(argument, target.Folder, message);
  }
  if (!fs::is_regular_file(given, error)) {
    message = "not a summary file: " + argument + (error ? " (" + error.message() + ")" : "");
    return false;
  }
  target.SummaryFile = Utf8Text(fs::absolute(given, error).lexically_normal());
  return true;
}

}  // namespace Vellumetric
