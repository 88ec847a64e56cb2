#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace Vellumetric::Testing {

// Between the parts of a path in the platform's own form: Windows shows C:\a\b.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

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
  // `relative` written with '/', joined in the platform's own form.
  [[nodiscard]] std::string operator/(std::string relative) const {
    for (char& c : relative) c = c == '/' ? kSeparator : c;
    return Root + kSeparator + relative;
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

// A path from UTF-8 text, the form every test writes its names in: a plain narrow string would
// mean the ANSI code page on Windows.
inline std::filesystem::path PathOf(const std::string& utf8) {
  const auto* text = reinterpret_cast<const char8_t*>(utf8.data());
  return std::filesystem::path(text, text + utf8.size());
}

// Makes the folder `path` and any parents it lacks, as `mkdir -p` does, without a shell.
inline void MakeFolders(const std::string& path) {
  std::filesystem::create_directories(PathOf(path));
}

}  // namespace Vellumetric::Testing
