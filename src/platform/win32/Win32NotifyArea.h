#pragma once
// Shell_NotifyIconA with the first, ANSI layout of the icon record.

#include "platform/NotifyArea.h"

namespace quenora::win32 {

class Win32NotifyArea final : public NotifyArea {
 public:
  bool ShellNotifyIcon(std::uint32_t request, const NotifyIconRecord& record) override;
};

}  // namespace quenora::win32
