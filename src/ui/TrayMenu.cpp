#include "ui/TrayMenu.h"

#include <optional>
#include <string>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32NotifyArea.h"
#include "tray/TrayMenuPlace.h"
#include "ui/Form1Layout.h"

namespace quenora::win32 {

using namespace form1;

void TrayMenu::Create() {
  pum_.reset(CreatePopupMenu());
  for (std::size_t i = 0; i < PumItems().size(); ++i) {
    const std::wstring caption = Widen(PumItems()[i]);
    if (caption == L"-") {
      AppendMenuW(pum_.get(), MF_SEPARATOR, i + 1, nullptr);
    } else {
      AppendMenuW(pum_.get(), MF_STRING, i + 1, caption.c_str());
    }
  }
}

int TrayMenu::PopUp(HWND window, std::uint32_t iconId) {
  SetMenuDefaultItem(pum_.get(), kPumDefaultItem, FALSE);
  POINT mouse{};
  GetCursorPos(&mouse);
  const std::optional<RECT> icon = TrayIconRect(window, static_cast<UINT>(iconId));
  const TrayMenuPlace place = PlaceTrayMenu(
      {mouse.x, mouse.y},
      icon ? std::optional(ScreenRect{icon->left, icon->top, icon->right, icon->bottom})
           : std::nullopt);
  // Opened from the keyboard, the menu lies above or below its icon, whichever has room.
  TPMPARAMS clearOf{};
  clearOf.cbSize = sizeof clearOf;
  if (icon) clearOf.rcExclude = *icon;
  const UINT flags =
      TPM_RETURNCMD | TPM_RIGHTBUTTON | (place.atIcon ? TPM_VERTICAL | TPM_BOTTOMALIGN : 0u);
  // Without the window in front the menu wouldn't close when the user clicks elsewhere, nor
  // hear the arrows, Enter and Escape; the empty message after it lets the menu's own closing
  // finish.
  SetForegroundWindow(window);
  const int chosen = static_cast<int>(TrackPopupMenuEx(pum_.get(), flags, place.at.x, place.at.y,
                                                       window, place.atIcon ? &clearOf : nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  // Dismissed or "&Abbrechen" from the keyboard: the keyboard goes back to the icons, as the
  // shell asks of a menu that leads nowhere.
  if (place.atIcon && (chosen == 0 || chosen == kPumDefaultItem)) tray_.ReturnFocusToTray(iconId);
  return chosen;
}

}  // namespace quenora::win32
