#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {

namespace {

struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
using UniqueKey = UniqueHandle<HKEY, KeyTraits>;

// Values are read whole, whatever their size, up to a sane bound for hand-edited settings.
constexpr DWORD kMaxValueBytes = 64 * 1024;

}  // namespace

std::optional<std::string> Win32Registry::ReadUserText(std::string_view subkey,
                                                       std::string_view name) {
  // Opened, read and closed within the call: nothing is kept between two reads.
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(subkey).c_str(), 0, KEY_QUERY_VALUE, &raw) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const UniqueKey key(raw);
  const std::wstring valueName = Widen(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      size > kMaxValueBytes) {
    return std::nullopt;
  }
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    // A number entered by hand as a DWORD means the same as its decimal text.
    DWORD number = 0;
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::to_string(number);
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  // One more character than asked for: the stored text need not end with a NUL.
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD bytes = size;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring text(buffer.data(), std::min<std::size_t>(bytes / sizeof(wchar_t), buffer.size()));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return Narrow(text);
}

bool Win32Registry::WriteUserText(std::string_view subkey, std::string_view name,
                                  std::string_view value) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Widen(subkey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &raw, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const UniqueKey key(raw);
  const std::wstring text = Widen(value);
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), Widen(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

}  // namespace quenora::win32
