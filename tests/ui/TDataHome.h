#pragma once

#include <string>

namespace Vellumetric::Testing {

// Makes `folder` the user's data folder for this process while it lives, as the program finds
// it (POSIX: $XDG_DATA_HOME; Windows: the roaming application data of the user's registry), so
// a test's data stays in its own temporary folder. The folder is created if missing. One may be
// made while another lives; the earlier one applies again when the later one ends.
class TDataHome {
 public:
  explicit TDataHome(const std::string& folder);
  ~TDataHome();
  TDataHome(const TDataHome&) = delete;
  TDataHome& operator=(const TDataHome&) = delete;

  // The folder in the form the system gives it back (Windows: with backslashes).
  [[nodiscard]] const std::string& Path() const noexcept { return Folder; }

 private:
  std::string Folder;
  TDataHome* Previous = nullptr;
  std::string SavedValue;  // POSIX: $XDG_DATA_HOME before
  bool HadValue = false;
  void* Key = nullptr;  // Windows: the private key the user's registry is mapped onto
  std::wstring KeyName;
};

}  // namespace Vellumetric::Testing
