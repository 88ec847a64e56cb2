#include "system/NativePlatform.h"

// windows.h first: shellapi.h builds on its types.
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "system/TimeText.h"
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

void LowerThisThreadPriority() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

std::string SystemErrorText(std::int32_t code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (n == 0 || !text) return "Error " + std::to_string(code);
  std::wstring wide(text, n);
  LocalFree(text);
  // The system's sentences end in a full stop and a line break; a reason reads better without.
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.')) {
    wide.pop_back();
  }
  return Narrow(wide);
}

std::int32_t UnknownReadErrorCode() {
  return ERROR_READ_FAULT;
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

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

// The C runtime knows the local time but not its offset: the local date and time read as UTC,
// less the moment itself, is the offset.
std::int32_t LocalUtcOffset(std::int64_t unixSeconds) {
  const __time64_t t = unixSeconds;
  struct tm local {};
  if (_localtime64_s(&local, &t) != 0) return 0;
  const std::int64_t asUtc = UnixSecondsFromCivil(
      local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
      static_cast<unsigned>(local.tm_mday), static_cast<unsigned>(local.tm_hour),
      static_cast<unsigned>(local.tm_min), static_cast<unsigned>(local.tm_sec));
  return static_cast<std::int32_t>(asUtc - unixSeconds);
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
