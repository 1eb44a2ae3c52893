#pragma once
// Starting programs and opening documents through the system's shell.

#include <string>
#include <string_view>

namespace quenora {

class Shell {
 public:
  virtual ~Shell() = default;
  // Starts `application` (a full path) with `commandLine` in a normal, activated window;
  // doesn't wait for it. False when it couldn't be started.
  virtual bool StartProcess(std::string_view application, std::string_view commandLine) = 0;
  // The Windows directory, without a trailing backslash ("C:\Windows").
  virtual std::string WindowsDirectory() = 0;
  // Hands a file, web address or mail link to the shell's "Open" verb, owned by the desktop;
  // `showMode` is the window's show command (1 normal, 3 maximized). Not reported if it fails.
  virtual void OpenWithShell(std::string_view target, int showMode) = 0;
};

}  // namespace quenora
