#pragma once
// Small services of the system that the portable code asks for.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quenora {

// The fields of the system's version record the program uses.
struct WindowsVersionRecord {
  std::uint32_t majorVersion = 0, minorVersion = 0, buildNumber = 0, platformId = 0;
};

class SystemServices {
 public:
  virtual ~SystemServices() = default;
  // The system's standard beep.
  virtual void Beep() = 0;
  // A message box with only an OK button and the information icon; texts are UTF-8.
  virtual void ShowMessage(std::string_view text, std::string_view title) = 0;
  // The decimal separator of the user's locale, UTF-8 (a comma on a German system).
  virtual std::string DecimalSeparator() = 0;
  // `text` (UTF-16) converted to the system's ANSI code page, as the code page's own
  // conversion does it; characters it can't represent come out as its default character.
  virtual std::string ToAnsiCodePage(std::u16string_view text) = 0;
  // The full path of the running executable, UTF-8, as the system reports it.
  virtual std::string ExecutablePath() = 0;
  // Whether another instance of the program runs for this user; the first asker claims the
  // place for its own process.
  virtual bool AnotherInstanceRuns() = 0;
  // Ends the process at once, without unloading anything.
  virtual void EndProcessNow() = 0;
  // The system's version record, as GetVersionEx fills it.
  virtual WindowsVersionRecord WindowsVersion() = 0;
  // The shell's small-icon size in pixels, the size of a tray icon, for the DPI of the
  // taskbar's monitor.
  virtual int TrayIconSize() = 0;
  // While a high contrast theme is on, its text colour as 0xRRGGBB; none otherwise.
  virtual std::optional<std::uint32_t> HighContrastText() = 0;
};

}  // namespace quenora
