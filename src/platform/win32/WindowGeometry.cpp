#include "platform/win32/WindowGeometry.h"

#include <cmath>
#include <cstring>

namespace quenora::win32 {

int WindowDpi(HWND window) {
  // GetDpiForWindow exists from Windows 10 on; older systems have one DPI for the screen.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const GetDpiForWindowFn getDpiForWindow = [] {
    GetDpiForWindowFn fn = nullptr;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      FARPROC proc = GetProcAddress(user32, "GetDpiForWindow");
      static_assert(sizeof fn == sizeof proc);
      if (proc) std::memcpy(&fn, &proc, sizeof fn);
    }
    return fn;
  }();
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

RECT WindowGeometry::Rect() const {
  RECT rect{};
  GetWindowRect(window_, &rect);
  return rect;
}

double WindowGeometry::Left() const {
  return ToTwips(Rect().left);
}
double WindowGeometry::Top() const {
  return ToTwips(Rect().top);
}
double WindowGeometry::Width() const {
  const RECT rect = Rect();
  return ToTwips(rect.right - rect.left);
}
double WindowGeometry::Height() const {
  const RECT rect = Rect();
  return ToTwips(rect.bottom - rect.top);
}

int WindowGeometry::ToPixels(double twips) const {
  return static_cast<int>(std::lround(twips * dpi_ / 1440.0));
}

void WindowGeometry::MoveTo(int x, int y) const {
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowGeometry::SetLeft(double twips) {
  MoveTo(ToPixels(twips), Rect().top);
}
void WindowGeometry::SetTop(double twips) {
  MoveTo(Rect().left, ToPixels(twips));
}

double WindowGeometry::ScreenWidth() const {
  return ToTwips(GetSystemMetrics(SM_CXSCREEN));
}
double WindowGeometry::ScreenHeight() const {
  return ToTwips(GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace quenora::win32
