// POSIX: the data folder is $XDG_DATA_HOME.
#include "TDataHome.h"

#include <cstdlib>
#include <filesystem>

namespace Vellumetric::Testing {
namespace {

TDataHome* current = nullptr;

}  // namespace

TDataHome::TDataHome(const std::string& folder) : Folder(folder), Previous(current) {
  std::filesystem::create_directories(folder);
  if (const char* old = std::getenv("XDG_DATA_HOME")) SavedValue = old, HadValue = true;
  ::setenv("XDG_DATA_HOME", Folder.c_str(), 1);
  current = this;
}

TDataHome::~TDataHome() {
  if (HadValue) {
    ::setenv("XDG_DATA_HOME", SavedValue.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
  current = Previous;
}

}  // namespace Vellumetric::Testing
