#pragma once
// Shell_NotifyIconA with the first, ANSI layout of the icon record; notifications through the
// wide record, which alone carries them.

#include <windows.h>

#include <optional>

#include "platform/NotifyArea.h"

namespace quenora::win32 {

class Win32NotifyArea final : public NotifyArea {
 public:
  bool ShellNotifyIcon(std::uint32_t request, const NotifyIconRecord& record) override;
  bool ShowNotice(const NoticeRecord& notice) override;
};

// Where the shell shows the icon `id` of `window`, in screen pixels; none where it doesn't say.
std::optional<RECT> TrayIconRect(HWND window, UINT id);

}  // namespace quenora::win32
