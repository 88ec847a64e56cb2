// Windows: the shell reads the roaming application data folder from the user's registry, not
// from %APPDATA%, and a child process or another test running meanwhile must not see a change
// there. So the user's registry is mapped, for this process alone, onto a private volatile key
// whose shell folders name the test's folder; the key is gone at log-off even after a crash.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "TDataHome.h"

namespace Vellumetric::Testing {
namespace {

TDataHome* current = nullptr;

constexpr const wchar_t* kExplorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

HKEY CreateVolatileKey(HKEY parent, const std::wstring& name) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot create a registry key for the data folder");
  }
  return key;
}

}  // namespace

TDataHome::TDataHome(const std::string& folder) : Previous(current) {
  std::filesystem::path path = std::filesystem::u8path(folder);
  path.make_preferred();
  // The shell gives a folder only once it exists.
  std::filesystem::create_directories(path);
  const std::u8string text = path.u8string();
  Folder.assign(text.begin(), text.end());

  static std::atomic<unsigned> counter{0};
  KeyName = L"Software\\Quendrix Vellumetric Tests\\" + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(counter++);
  // Made in the user's own registry, whatever an earlier TDataHome maps it onto.
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  const HKEY root = CreateVolatileKey(HKEY_CURRENT_USER, KeyName);
  Key = root;
  // The shell expects both of its folder keys; it writes what it resolved into the first.
  RegCloseKey(CreateVolatileKey(root, std::wstring(kExplorer) + L"Shell Folders"));
  const HKEY user = CreateVolatileKey(root, std::wstring(kExplorer) + L"User Shell Folders");
  const std::wstring value = path.wstring();
  RegSetValueExW(user, L"AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(user);
  RegOverridePredefKey(HKEY_CURRENT_USER, root);
  current = this;
}

TDataHome::~TDataHome() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(static_cast<HKEY>(Key));
  RegDeleteTreeW(HKEY_CURRENT_USER, KeyName.c_str());
  if (Previous) RegOverridePredefKey(HKEY_CURRENT_USER, static_cast<HKEY>(Previous->Key));
  current = Previous;
}

}  // namespace Vellumetric::Testing
