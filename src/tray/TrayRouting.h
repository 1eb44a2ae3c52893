#pragma once
// What the mouse does on a tray icon: a left double-click opens the drive in the file
// manager, pressing the right button pops up the tray menu; nothing else acts.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/NotifyArea.h"
#include "platform/Shell.h"
#include "tray/TrayIconSet.h"

namespace quenora {

// Mouse messages as the shell reports them in the callback's lParam.
inline constexpr std::uint32_t kLeftButtonDoubleClick = 0x203;
inline constexpr std::uint32_t kRightButtonDown = 0x204;
// The user clicked a notification of the icon (NIN_BALLOONUSERCLICK).
inline constexpr std::uint32_t kNoticeClicked = 0x405;

// The window's part: the drive an icon shows.
class TrayIconDrives {
 public:
  virtual ~TrayIconDrives() = default;
  // "E:" for the icon of the drive E:; nothing when no icon has that identifier.
  virtual std::optional<std::string> DriveOfIcon(std::int32_t iconId) const = 0;
};

// The window's part: pops up the menu pum at the mouse and runs the chosen item.
class TrayMenuHost {
 public:
  virtual ~TrayMenuHost() = default;
  virtual void PopUpTrayMenu() = 0;
  // A click on a notification of the icon: true when the window showed what it is about
  // itself; otherwise the drive opens.
  virtual bool ShowNoticeDetails(std::int32_t /*iconId*/) { return false; }
};

class TrayRouting {
 public:
  TrayRouting(TrayIconSet& tray, const TrayIconDrives& drives, Shell& shell, TrayMenuHost& menu)
      : tray_(tray), drives_(drives), shell_(shell), menu_(menu) {}

  // Records the window for the tray icons; from now on their callback message acts.
  void HookTrayMessages(WindowHandle window);
  // From now on the callback message does nothing; a second call is harmless.
  void UnhookTrayMessages();
  // The callback message as the window receives it, wParam and lParam. False while the
  // routing isn't installed: the window then handles it as any other message.
  bool TrayWindowProc(std::uintptr_t wParam, std::uintptr_t lParam);
  // The shell's taskbar was created anew: while the routing is installed, the icons
  // 1..driveCount are added again.
  void TaskbarCreated(std::int32_t driveCount);

  // The tray callback message: wParam is the icon's identifier, lParam the mouse message.
  void OnTrayCallback(std::uintptr_t iconId, std::uintptr_t mouseMessage);
  // Opens the drive of the icon last double-clicked or right-clicked.
  void OpenClickedDrive();
  void ShowTrayMenu(std::int32_t iconId);

  // The icon last double-clicked or right-clicked; 0 until then.
  std::int32_t ClickedIconID = 0;

 private:
  TrayIconSet& tray_;
  const TrayIconDrives& drives_;
  Shell& shell_;
  TrayMenuHost& menu_;
  bool installed_ = false;
};

}  // namespace quenora
