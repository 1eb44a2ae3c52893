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

// The "A" calls want zero-terminated texts; a view need not be one.
std::string Terminated(std::string_view text) {
  return std::string(text);
}

}  // namespace

RegistryKeyAnswer Win32RegistryCalls::OpenKey(RegistryRoot root, std::string_view subkey,
                                              RegistryAccess access) {
  HKEY key = nullptr;
  const LONG code =
      RegOpenKeyExA(RootKey(root), Terminated(subkey).c_str(), 0,
                    access == RegistryAccess::AllAccess ? KEY_ALL_ACCESS : KEY_QUERY_VALUE, &key);
  return {static_cast<std::int32_t>(code), code == ERROR_SUCCESS ? Id(key) : 0};
}

RegistryKeyAnswer Win32RegistryCalls::CreateKey(RegistryRoot root, std::string_view subkey) {
  HKEY key = nullptr;
  const LONG code = RegCreateKeyA(RootKey(root), Terminated(subkey).c_str(), &key);
  return {static_cast<std::int32_t>(code), code == ERROR_SUCCESS ? Id(key) : 0};
}

RegistryValueAnswer Win32RegistryCalls::QueryValue(RegistryKey key, std::string_view name,
                                                   std::string* buffer) {
  DWORD type = 0;
  DWORD size = 0;
  BYTE* data = nullptr;
  if (buffer) {
    // The size offered is the buffer's, so the call never writes past it.
    size = static_cast<DWORD>(
        std::min<std::size_t>(buffer->size(), std::numeric_limits<DWORD>::max()));
    data = reinterpret_cast<BYTE*>(buffer->data());
  }
  const LONG code =
      RegQueryValueExA(Handle(key), Terminated(name).c_str(), nullptr, &type, data, &size);
  return {static_cast<std::int32_t>(code), type, size};
}

RegistryLengthAnswer Win32RegistryCalls::QueryInfoKeyMaxValueLen(RegistryKey key) {
  DWORD length = 0;
  const LONG code = RegQueryInfoKeyA(Handle(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, &length, nullptr, nullptr);
  return {static_cast<std::int32_t>(code), length};
}

std::int32_t Win32RegistryCalls::SetValue(RegistryKey key, std::string_view name,
                                          std::uint32_t type, std::string_view data) {
  return static_cast<std::int32_t>(RegSetValueExA(Handle(key), Terminated(name).c_str(), 0, type,
                                                  reinterpret_cast<const BYTE*>(data.data()),
                                                  static_cast<DWORD>(data.size())));
}

std::int32_t Win32RegistryCalls::DeleteValue(RegistryKey key, std::string_view name) {
  return static_cast<std::int32_t>(RegDeleteValueA(Handle(key), Terminated(name).c_str()));
}

void Win32RegistryCalls::CloseKey(RegistryKey key) {
  if (key != 0) RegCloseKey(Handle(key));
}

std::string Win32RegistryCalls::ToAnsi(std::string_view utf8) {
  // With explicit lengths on both sides, so a zero inside the text converts like any byte.
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

std::string Win32RegistryCalls::FromAnsi(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int length = static_cast<int>(ansi.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), size);
  return Narrow(wide);
}

}  // namespace quenora::win32
