#pragma once
// What a screen reader is told a control is called: the name from the system's accessibility
// interface (MSAA), asked as a screen reader asks it; and the access keys a window shows.

#include <windows.h>

#include <oleacc.h>

#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"

namespace quenora::testing {

// IAccessible's identifier, spelled out: the 64-bit import library of oleacc offers one under
// this name that is its DLL's export, not the GUID.
inline constexpr GUID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

inline std::string AccessibleName(HWND control) {
  static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)com;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                        reinterpret_cast<void**>(&object))) ||
      !object) {
    return "<no accessible object>";
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT asked = object->get_accName(self, &name);
  object->Release();
  const std::string text = asked == S_OK && name ? win32::Narrow(name) : "<no name>";
  SysFreeString(name);
  return text;
}

struct AccessKeysSeen {
  std::map<wchar_t, std::wstring> keys;
  std::vector<std::string> clashes;
};

inline BOOL CALLBACK NoteAccessKey(HWND control, LPARAM seenSoFar) {
  auto& seen = *reinterpret_cast<AccessKeysSeen*>(seenSoFar);
  wchar_t kind[32] = {};
  GetClassNameW(control, kind, 32);
  // A label that shows its ampersand has no access key.
  const bool plainLabel =
      std::wstring_view(kind) == L"Static" && (GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX);
  wchar_t text[256] = {};
  if (!IsWindowVisible(control) || plainLabel || !GetWindowTextW(control, text, 256)) return TRUE;
  const std::wstring caption = text;
  const std::size_t amp = caption.find(L'&');
  if (amp == std::wstring::npos || amp + 1 >= caption.size()) return TRUE;
  const wchar_t key = static_cast<wchar_t>(std::towupper(caption[amp + 1]));
  const auto [at, added] = seen.keys.emplace(key, caption);
  if (!added) seen.clashes.push_back(win32::Narrow(at->second + L" / " + caption));
  return TRUE;
}

// The controls shown in `window` whose access key (the letter after the ampersand) another one
// shown there has too, as "first / second" pairs.
inline std::vector<std::string> AccessKeyClashes(HWND window) {
  AccessKeysSeen seen;
  EnumChildWindows(window, NoteAccessKey, reinterpret_cast<LPARAM>(&seen));
  return seen.clashes;
}

}  // namespace quenora::testing
