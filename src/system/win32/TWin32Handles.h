#pragma once

#include <windows.h>

#include <utility>

namespace Vellumetric {

// A directory search handle, closed with FindClose.
class TFindHandle {
 public:
  TFindHandle() noexcept = default;
  explicit TFindHandle(HANDLE h) noexcept : Handle(h) {}
  TFindHandle(TFindHandle&& o) noexcept : Handle(std::exchange(o.Handle, INVALID_HANDLE_VALUE)) {}
  TFindHandle& operator=(TFindHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      Handle = std::exchange(o.Handle, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  ~TFindHandle() { Reset(); }

  [[nodiscard]] HANDLE Get() const noexcept { return Handle; }
  [[nodiscard]] bool Valid() const noexcept { return Handle != INVALID_HANDLE_VALUE; }
  void Reset() noexcept {
    if (Valid()) FindClose(Handle);
    Handle = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE Handle = INVALID_HANDLE_VALUE;
};

// A file or folder handle from CreateFileW, closed with CloseHandle.
class TFileHandle {
 public:
  explicit TFileHandle(HANDLE h) noexcept : Handle(h) {}
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() {
    if (Valid()) CloseHandle(Handle);
  }
  [[nodiscard]] HANDLE Get() const noexcept { return Handle; }
  [[nodiscard]] bool Valid() const noexcept { return Handle != INVALID_HANDLE_VALUE; }
  // Gives up ownership: the caller closes the handle.
  [[nodiscard]] HANDLE Release() noexcept { return std::exchange(Handle, INVALID_HANDLE_VALUE); }

 private:
  HANDLE Handle;
};

// An open registry key, closed with RegCloseKey.
class TRegistryKey {
 public:
  TRegistryKey(HKEY root, const wchar_t* path) noexcept {
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &Key) != ERROR_SUCCESS) Key = nullptr;
  }
  TRegistryKey(const TRegistryKey&) = delete;
  TRegistryKey& operator=(const TRegistryKey&) = delete;
  ~TRegistryKey() {
    if (Key) RegCloseKey(Key);
  }
  [[nodiscard]] bool Valid() const noexcept { return Key != nullptr; }
  [[nodiscard]] HKEY Get() const noexcept { return Key; }

 private:
  HKEY Key = nullptr;
};

}  // namespace Vellumetric
