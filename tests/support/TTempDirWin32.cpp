// The test helpers of TTempDir.h for the Windows build.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "TTempDir.h"

namespace Vellumetric::Testing {

TTempDir::TTempDir() {
  static std::atomic<unsigned> counter{0};
  const auto base = std::filesystem::temp_directory_path();
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    const auto candidate = base / ("vlm-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(counter++));
    if (std::filesystem::create_directory(candidate)) {
      const std::u8string text = candidate.u8string();  // UTF-8, as the tests write paths
      Root.assign(text.begin(), text.end());
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(PathOf(Root), ec);
}

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  // cmd /c drops the first and the last quote of the line: a pair around it keeps the rest. The
  // line goes as UTF-16: through _popen it would be read in the ANSI code page, and a build
  // folder such as "CI Läufe" would name no program.
  const std::string line = "\"" + command + "\"";
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(
                        CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0)),
                    L'\0');
  MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                      static_cast<int>(wide.size()));
  FILE* pipe = _wpopen(wide.c_str(), L"r");
  if (!pipe) throw std::runtime_error("_popen failed: " + command);
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int rc = _pclose(pipe);
  if (status) *status = rc;
  return out;
}

std::string ShellQuote(const std::string& text) {
  return "\"" + text + "\"";
}

void MakeFile(const std::string& path, unsigned long long size) {
  { std::ofstream file(PathOf(path), std::ios::binary | std::ios::trunc); }
  std::filesystem::resize_file(PathOf(path), size);
}

}  // namespace Vellumetric::Testing
