#pragma once
// The program's notification-area icons, one per monitored drive, identified by list position.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/NotifyArea.h"
#include "platform/SystemServices.h"

namespace quenora {

// The message the shell sends to the window for mouse actions on an icon (WM_USER).
inline constexpr std::uint32_t kTrayCallbackMessage = 1024;
// NIF_MESSAGE | NIF_ICON | NIF_TIP, on every request.
inline constexpr std::uint32_t kTrayRecordFlags = 7;
// The record holds 63 characters of tooltip and a terminating NUL.
inline constexpr std::size_t kTrayTipCharacters = 63;
// A notification holds a title of 63 and a text of 255 UTF-16 units.
inline constexpr std::size_t kNoticeTitleUnits = 63;
inline constexpr std::size_t kNoticeTextUnits = 255;
// Identifiers are list positions of the monitored drives: 1..26.
inline constexpr int kMaxTrayIcons = 26;

class TrayIconSet {
 public:
  TrayIconSet(NotifyArea& shell, SystemServices& system) : shell_(shell), system_(system) {}

  // Fills the record the same way for every request and hands it to the shell.
  void CallNotifyIcon(std::uint32_t request, std::uint32_t id, IconHandle icon,
                      std::string_view tip);
  void AddTrayIcon(std::uint32_t id, IconHandle icon, std::string_view tip);
  void ModifyTrayIcon(std::uint32_t id, IconHandle icon, std::string_view tip);
  void DeleteTrayIcon(std::uint32_t id);
  // Sends icon `id` with another picture and the tooltip it shows.
  void ModifyTrayIconPicture(std::uint32_t id, IconHandle icon);
  // Deletes icons 1..driveCount, the icons of the monitored drives; the caller sets its
  // DriveCount to 0 after it.
  void RemoveAllTrayIcons(std::int32_t driveCount);
  // Adds icons 1..driveCount again, each with the picture and tooltip it showed last: the
  // shell forgets every icon when its taskbar is created anew (Explorer restarted).
  void AddAllTrayIconsAgain(std::int32_t driveCount);

  // Gives the keyboard back to the notification area at icon `id`, as it was before its menu
  // opened from the keyboard; what the icon shows stays.
  void ReturnFocusToTray(std::uint32_t id);

  // Shows a notification from icon `id`, the title and text cut to the shell's fields.
  void ShowNotice(std::uint32_t id, std::string_view title, std::string_view text);

  // The record as it is sent: tip cut to 63 characters, ANSI, NUL, then spaces.
  NotifyIconRecord BuildRecord(std::uint32_t id, IconHandle icon, std::string_view tip);

  // The window that owns every icon and receives their callback message; 0 until set.
  WindowHandle TrayWindowHandle = 0;

 private:
  struct Shown {
    IconHandle icon = 0;
    std::string tip;
  };

  NotifyArea& shell_;
  SystemServices& system_;
  std::array<Shown, kMaxTrayIcons + 1> shown_;  // by identifier
};

}  // namespace quenora
