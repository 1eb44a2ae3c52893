#pragma once
// Puts the tray routing in front of the main window's own window procedure.

#include <windows.h>

#include "monitor/DriveTable.h"
#include "tray/TrayIconSet.h"
#include "tray/TrayRouting.h"

namespace quenora::win32 {

class TrayMessageHook {
 public:
  TrayMessageHook(TrayRouting& routing, TrayIconSet& tray, const DriveTable& drives)
      : routing_(routing), tray_(tray), drives_(drives) {}
  TrayMessageHook(const TrayMessageHook&) = delete;
  TrayMessageHook& operator=(const TrayMessageHook&) = delete;
  ~TrayMessageHook() { UnhookTrayMessages(); }

  // Records the window for the tray icons and replaces its window procedure.
  void HookTrayMessages(HWND window);
  // Puts the replaced procedure back; a second call does the same again, harmlessly.
  void UnhookTrayMessages();

  // The procedure that was in place before the hook.
  WNDPROC PrevWindowProc = nullptr;

 private:
  static LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TrayRouting& routing_;
  TrayIconSet& tray_;
  const DriveTable& drives_;
  HWND window_ = nullptr;
};

}  // namespace quenora::win32
