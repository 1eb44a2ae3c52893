#pragma once
// Beep, message boxes, the user's locale and the ANSI code page.

#include <windows.h>

#include "platform/SystemServices.h"

namespace quenora::win32 {

class Win32System : public SystemServices {
 public:
  void Beep() override;
  void ShowMessage(std::string_view text, std::string_view title) override;
  std::string DecimalSeparator() override;
  std::string ToAnsiCodePage(std::u16string_view text) override;

  // Owner of the message boxes; none until the main window exists.
  HWND owner = nullptr;
};

}  // namespace quenora::win32
