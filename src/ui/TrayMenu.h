#pragma once
// The tray icons' pop-up menu pum: its items, and the menu popped up at an icon.

#include <windows.h>

#include <cstdint>

#include "platform/win32/Handles.h"
#include "tray/TrayIconSet.h"

namespace quenora::win32 {

class TrayMenu {
 public:
  explicit TrayMenu(TrayIconSet& tray) : tray_(tray) {}

  // Makes the menu with its items; a window in the tray needs it.
  void Create();
  // Pops the menu up over `window` for icon `iconId`, at the mouse, with "&Abbrechen" as its
  // default item, and returns the index of the item chosen, 0 for none.
  int PopUp(HWND window, std::uint32_t iconId);

 private:
  TrayIconSet& tray_;
  UniqueMenu pum_;
};

}  // namespace quenora::win32
