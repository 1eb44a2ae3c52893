#pragma once
// What a screen reader is told a control is called: the name from the system's accessibility
// interface (MSAA), asked as a screen reader asks it.

#include <windows.h>

#include <oleacc.h>

#include <string>

#include "platform/win32/WideText.h"

namespace quenora::testing {

// IAccessible's identifier, spelled out: the 64-bit import library of oleacc offers one under
// this name that is its DLL's export, not the GUID.
inline constexpr GUID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The name, or with `value` the value (a chart's summary), that a screen reader reads.
inline std::string AccessibleName(HWND control, bool value = false) {
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
  const HRESULT asked =
      value ? object->get_accValue(self, &name) : object->get_accName(self, &name);
  object->Release();
  const std::string text = asked == S_OK && name ? win32::Narrow(name) : "<no name>";
  SysFreeString(name);
  return text;
}

inline std::string AccessibleValue(HWND control) {
  return AccessibleName(control, true);
}

}  // namespace quenora::testing
