#include "system/AtomicFile.h"

#include <windows.h>

#include "system/SystemFolders.h"
#include "system/win32/WideText.h"

namespace Vellumetric {
namespace {

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L'.')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(code) : Narrow(text);
}

// The temporary file's handle; closed once, with the result checked by the caller.
class TTempHandle {
 public:
  explicit TTempHandle(HANDLE h) noexcept : Handle(h) {}
  TTempHandle(const TTempHandle&) = delete;
  TTempHandle& operator=(const TTempHandle&) = delete;
  ~TTempHandle() { Close(); }
  [[nodiscard]] bool Valid() const noexcept { return Handle != INVALID_HANDLE_VALUE; }
  [[nodiscard]] HANDLE Get() const noexcept { return Handle; }
  bool Close() noexcept {
    if (!Valid()) return true;
    const bool ok = CloseHandle(Handle) != 0;
    Handle = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE Handle;
};

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& folder, const std::string& name,
                           std::string_view bytes, std::string& error) {
  const std::wstring target = Widen(JoinNativePath(folder, name));
  std::wstring temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  // A free temporary name: a few tries with the tick count and process id in the name.
  for (unsigned attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temp = Widen(JoinNativePath(folder, std::string(AtomicTempPrefix) +
                                            std::to_string(GetCurrentProcessId()) + "-" +
                                            std::to_string(GetTickCount64() + attempt)));
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  TTempHandle file(created);
  if (!file.Valid()) {
    error = SystemMessage(GetLastError());
    return false;
  }
  const auto fail = [&] {
    error = SystemMessage(GetLastError());
    file.Close();
    DeleteFileW(temp.c_str());
    return false;
  };
  if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) return fail();
  if (!file.Close()) return fail();
  if (!MoveFileExW(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail();
  }
  return true;
}

}  // namespace Vellumetric
