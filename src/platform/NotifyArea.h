#pragma once
// The shell's notification area, reached with the classic ANSI icon record.

#include <cstdint>
#include <string>

namespace quenora {

using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;

// The shell's first (ANSI) notification icon record, field for field. Its size is 88 bytes on
// a 32-bit build and 104 on a 64-bit one, where the two handles are 8 bytes wide.
struct NotifyIconRecord {
  std::uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  char szTip[64] = {};
};

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;
// The keyboard goes back to the notification area, at the icon (shell 5.0 and later).
inline constexpr std::uint32_t kNimSetFocus = 3;

// A notification shown from one of the program's icons (a balloon, or a toast that stays in
// the notification centre): its window and identifier, a title of at most 63 and a text of at
// most 255 UTF-16 units. It carries a warning sign and keeps to the user's quiet hours.
struct NoticeRecord {
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::u16string title;
  std::u16string text;
};

class NotifyArea {
 public:
  virtual ~NotifyArea() = default;
  // Hands one request and its record to the shell; true when the shell accepted it.
  virtual bool ShellNotifyIcon(std::uint32_t request, const NotifyIconRecord& record) = 0;
  // Shows a notification from an icon that is there; true when the shell accepted it.
  virtual bool ShowNotice(const NoticeRecord& notice) = 0;
};

}  // namespace quenora
