#include "platform/win32/Win32RegistryCalls.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/WideText.h"

namespace quenora::win32 {

namespace {

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY Handle(RegistryKey key) {
  return reinterpret_cast<HKEY>(key);
}

RegistryKey Id(HKEY key) {
  return reinterpret_cast<RegistryKey>(key);
}

}  // namespace

RegistryKeyAnswer Win32RegistryCalls::OpenKey(RegistryRoot root, std::string_view subkey,
                                              RegistryAccess access) {
  HKEY key = nullptr;
  const LONG code =
      RegOpenKeyExW(RootKey(root), Widen(subkey).c_str(), 0,
                    access == RegistryAccess::AllAccess ? KEY_ALL_ACCESS : KEY_QUERY_VALUE, &key);
  return {static_cast<std::int32_t>(code), code == ERROR_SUCCESS ? Id(key) : 0};
}

RegistryKeyAnswer Win32RegistryCalls::CreateKey(RegistryRoot root, std::string_view subkey) {
  HKEY key = nullptr;
  const LONG code = RegCreateKeyW(RootKey(root), Widen(subkey).c_str(), &key);
  return {static_cast<std::int32_t>(code), code == ERROR_SUCCESS ? Id(key) : 0};
}

RegistryValueAnswer Win32RegistryCalls::QueryValue(RegistryKey key, std::string_view name,
                                                   std::u16string* buffer) {
  DWORD type = 0;
  DWORD size = 0;
  BYTE* data = nullptr;
  if (buffer) {
    // The size offered is the buffer's in bytes, so the call never writes past it.
    constexpr std::size_t kMaxUnits = std::numeric_limits<DWORD>::max() / sizeof(char16_t);
    size = static_cast<DWORD>(std::min(buffer->size(), kMaxUnits) * sizeof(char16_t));
    data = reinterpret_cast<BYTE*>(buffer->data());
  }
  const LONG code = RegQueryValueExW(Handle(key), Widen(name).c_str(), nullptr, &type, data, &size);
  return {static_cast<std::int32_t>(code), type, size};
}

RegistryLengthAnswer Win32RegistryCalls::QueryInfoKeyMaxValueLen(RegistryKey key) {
  DWORD length = 0;
  const LONG code = RegQueryInfoKeyW(Handle(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, &length, nullptr, nullptr);
  return {static_cast<std::int32_t>(code), length};
}

std::int32_t Win32RegistryCalls::SetValue(RegistryKey key, std::string_view name,
                                          std::uint32_t type, std::u16string_view data) {
  return static_cast<std::int32_t>(RegSetValueExW(
      Handle(key), Widen(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
      static_cast<DWORD>(data.size() * sizeof(char16_t))));
}

std::int32_t Win32RegistryCalls::DeleteValue(RegistryKey key, std::string_view name) {
  return static_cast<std::int32_t>(RegDeleteValueW(Handle(key), Widen(name).c_str()));
}

void Win32RegistryCalls::CloseKey(RegistryKey key) {
  if (key != 0) RegCloseKey(Handle(key));
}

}  // namespace quenora::win32
