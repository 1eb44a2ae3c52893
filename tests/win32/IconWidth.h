#pragma once
// The width of an icon's picture as the system holds it.

#include <windows.h>

#include <cstdint>

namespace quenora::testing {

// 0 for a handle that is no icon (any more).
inline int IconWidth(std::uintptr_t icon) {
  ICONINFO info{};
  if (!GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

}  // namespace quenora::testing
