#pragma once
// Starting programs through CreateProcess.

#include "platform/Shell.h"

namespace quenora::win32 {

class Win32Shell final : public Shell {
 public:
  bool StartProcess(std::string_view application, std::string_view commandLine) override;
  std::string WindowsDirectory() override;
  void OpenWithShell(std::string_view target, int showMode) override;
};

}  // namespace quenora::win32
