#include "ui/TrayMessageHook.h"

#include <cstring>

namespace quenora::win32 {

namespace {

// The hook finds itself through a property of the window: the replaced procedure gets no
// other context.
constexpr wchar_t kHookProperty[] = L"Quenora.TrayMessageHook";

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

LONG_PTR ProcAsLong(WNDPROC proc) {
  LONG_PTR value = 0;
  static_assert(sizeof value == sizeof proc);
  std::memcpy(&value, &proc, sizeof value);
  return value;
}

}  // namespace

void TrayMessageHook::HookTrayMessages(HWND window) {
  window_ = window;
  tray_.TrayWindowHandle = reinterpret_cast<WindowHandle>(window);
  SetPropW(window, kHookProperty, this);
  const LONG_PTR previous =
      SetWindowLongPtrW(window, GWLP_WNDPROC, ProcAsLong(&TrayMessageHook::TrayWindowProc));
  std::memcpy(&PrevWindowProc, &previous, sizeof previous);
}

void TrayMessageHook::UnhookTrayMessages() {
  if (!window_ || !PrevWindowProc || !IsWindow(window_)) return;
  SetWindowLongPtrW(window_, GWLP_WNDPROC, ProcAsLong(PrevWindowProc));
  RemovePropW(window_, kHookProperty);
}

LRESULT CALLBACK TrayMessageHook::TrayWindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  auto* hook = static_cast<TrayMessageHook*>(GetPropW(window, kHookProperty));
  if (!hook) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_USER) {
    // The tray callback: wParam the icon, lParam the mouse message. Not passed on.
    hook->routing_.OnTrayCallback(wParam, static_cast<std::uintptr_t>(lParam));
    return 0;
  }
  if (message == TaskbarCreatedMessage())
    hook->tray_.AddAllTrayIconsAgain(hook->drives_.DriveCount);
  WNDPROC previous = hook->PrevWindowProc;
  if (message == WM_NCDESTROY) {
    // The window goes: the hook lets go of it first.
    RemovePropW(window, kHookProperty);
    SetWindowLongPtrW(window, GWLP_WNDPROC, ProcAsLong(previous));
    hook->window_ = nullptr;
  }
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace quenora::win32
