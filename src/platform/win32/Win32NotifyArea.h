#pragma once
// Shell_NotifyIconA with the first, ANSI layout of the icon record; notifications through the
// wide record, which alone carries them.

#include "platform/NotifyArea.h"

namespace quenora::win32 {

class Win32NotifyArea final : public NotifyArea {
 public:
  bool ShellNotifyIcon(std::uint32_t request, const NotifyIconRecord& record) override;
  bool ShowNotice(const NoticeRecord& notice) override;
};

}  // namespace quenora::win32
