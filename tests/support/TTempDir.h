#pragma once

#include <cstdlib>
#include <string>

namespace Vellumetric::Testing {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end of the test.
// Removal goes through `rm -rf`, which copes with trees deeper than PATH_MAX and with folders
// whose permissions the test took away.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  [[nodiscard]] const std::string& Path() const noexcept { return Root; }
  [[nodiscard]] std::string operator/(const std::string& relative) const {
    return Root + "/" + relative;
  }

 private:
  std::string Root;
};

// Runs a shell command and returns its standard output; `status` receives the exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);
// Quotes a text for the shell, whatever bytes it holds.
std::string ShellQuote(const std::string& text);
// Writes `size` bytes of a file (sparse: only the size is set).
void MakeFile(const std::string& path, unsigned long long size);

}  // namespace Vellumetric::Testing
