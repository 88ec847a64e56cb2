#include "ui/StartPath.h"

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

}  // namespace Vellumetric
