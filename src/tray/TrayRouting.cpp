#include "tray/TrayRouting.h"

#include <string>

namespace quenora {

void TrayRouting::HookTrayMessages(WindowHandle window) {
  // The icons carry the window in their record: it must be known before the first is added.
  tray_.TrayWindowHandle = window;
  installed_ = true;
}

void TrayRouting::UnhookTrayMessages() {
  installed_ = false;
}

bool TrayRouting::TrayWindowProc(std::uintptr_t wParam, std::uintptr_t lParam) {
  if (!installed_) return false;
  OnTrayCallback(wParam, lParam);
  return true;
}

void TrayRouting::TaskbarCreated(std::int32_t driveCount) {
  // Explorer restarted: its new taskbar knows none of the icons.
  if (installed_) tray_.AddAllTrayIconsAgain(driveCount);
}

void TrayRouting::OnTrayCallback(std::uintptr_t iconId, std::uintptr_t mouseMessage) {
  // A single click does nothing; the menu opens on pressing the right button, not on
  // releasing it.
  switch (mouseMessage) {
    case kNoticeClicked:
      // A notification about the drive opens it, as its icon does, unless the window has more
      // to say about it.
      if (menu_.ShowNoticeDetails(static_cast<std::int32_t>(iconId))) break;
      [[fallthrough]];
    case kLeftButtonDoubleClick:
      ClickedIconID = static_cast<std::int32_t>(iconId);
      OpenClickedDrive();
      break;
    case kRightButtonDown:
      ShowTrayMenu(static_cast<std::int32_t>(iconId));
      break;
    default:
      break;
  }
}

void TrayRouting::OpenClickedDrive() {
  // An icon the last apply took away has no drive any more.
  const std::optional<std::string> drive = drives_.DriveOfIcon(ClickedIconID);
  if (!drive) return;
  // The file manager by its full path, so that no program of the same name in the current or
  // the program's directory is started instead; its command line is the classic one.
  const std::string application = shell_.WindowsDirectory() + "\\explorer.exe";
  shell_.StartProcess(application, "explorer " + *drive);
}

void TrayRouting::ShowTrayMenu(std::int32_t iconId) {
  // The menu's "Laufwerk öffnen" opens the drive of this icon.
  ClickedIconID = iconId;
  menu_.PopUpTrayMenu();
}

}  // namespace quenora
