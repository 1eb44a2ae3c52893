#pragma once
// Beep, message boxes, the user's locale and the ANSI code page.

#include <windows.h>

#include "platform/SystemServices.h"
#include "platform/win32/Handles.h"

namespace quenora::win32 {

class Win32System : public SystemServices {
 public:
  void Beep() override;
  void ShowMessage(std::string_view text, std::string_view title) override;
  std::string DecimalSeparator() override;
  std::string ToAnsiCodePage(std::u16string_view text) override;
  std::string ExecutablePath() override;
  bool AnotherInstanceRuns() override;
  void EndProcessNow() override;
  WindowsVersionRecord WindowsVersion() override;
  int TrayIconSize() override;
  std::optional<std::uint32_t> HighContrastText() override;

  // Owner of the message boxes: the options window while it is shown, else none.
  HWND owner = nullptr;

 private:
  UniqueKernelHandle instanceMutex_;
};

}  // namespace quenora::win32
