#include "ui/windows/StartPath.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace Vellumetric {

bool ResolveStartFolder(const std::string& argument, std::string& folder, std::string& message) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path given(argument);
  if (!fs::is_directory(given, error)) {
    message = "not a folder: " + argument + (error ? " (" + error.message() + ")" : "");
    return false;
  }
  fs::path absolute = fs::absolute(given, error).lexically_normal();
  std::string text = absolute.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  folder = text;
  return true;
}

bool ResolveStartArgument(const std::string& argument, TStartTarget& target, std::string& message) {
  namespace fs = std::filesystem;
  target = {};
  std::string extension = argument.size() >= 4 ? argument.substr(argument.size() - 4) : "";
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::error_code error;
  const fs::path given(argument);
  if (extension != ".sbf" || fs::is_directory(given, error)) {
    return ResolveStartFolder(argument, target.Folder, message);
  }
  if (!fs::is_regular_file(given, error)) {
    message = "not a summary file: " + argument + (error ? " (" + error.message() + ")" : "");
    return false;
  }
  target.SummaryFile = fs::absolute(given, error).lexically_normal().string();
  return true;
}

}  // namespace Vellumetric
