#include "system/NativePlatform.h"

// windows.h first: shellapi.h builds on its types.
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "system/win32/TWin32DirectoryLister.h"
#include "system/win32/WideText.h"

namespace Vellumetric {

TPathStyle NativePathStyle() {
  return TPathStyle::Windows;
}

std::unique_ptr<TDirectoryLister> CreateDirectoryLister() {
  return std::make_unique<TWin32DirectoryLister>();
}

void PrepareMemoryForScans() {}

// argv holds the arguments in the ANSI code page; the wide command line holds them all.
std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return args;
}

bool StderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

std::string LegacyCodePageToUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return Narrow(wide);
}

}  // namespace Vellumetric
