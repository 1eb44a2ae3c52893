#pragma once
// Start with Windows: the per-user Run value, the options window's check box that shows it,
// and the registry routines beneath them.

#include <optional>
#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/RegistryCalls.h"
#include "platform/SystemServices.h"

namespace quenora {

// The check box's tag once SyncAutostartCheckbox has run; while the tag is empty, clicks
// change nothing in the registry.
inline constexpr std::string_view AutostartGuardTag = "OK";

// The options window's AutoStartChk: value 0 unchecked, non-zero checked, and a text tag.
// Setting the value by code does not run the click handling.
class AutostartCheckbox {
 public:
  virtual ~AutostartCheckbox() = default;
  virtual int Value() = 0;
  virtual void SetValue(int value) = 0;
  virtual std::string Tag() = 0;
  virtual void SetTag(std::string_view tag) = 0;
};

// Under the program's settings key: "True" while the user's Run value is there because the
// AutoStart policy made it, not the user.
inline constexpr std::string_view kAutoStartByPolicyKey = "AutoStartByPolicy";

// Whether the program's command line (without its own path) carries the switch the autostart
// entry starts it with, as a word of its own, in any case.
bool HasAutostartSwitch(std::string_view commandLine);

// Whether a Run value's command starts a program file that is there.
bool RunCommandProgramExists(Files& files, std::string_view command);

// HKEY_LOCAL_MACHINE when machineWide, else HKEY_CURRENT_USER.
RegistryRoot RunKeyRoot(bool machineWide);
// "SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce" when runOnce, else "...\Run".
std::string RunKeyPath(bool runOnce);

// Each opens and closes its key within the call; texts are UTF-8 here, UTF-16 in the registry.
bool RegistryValueExists(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                         std::string_view name);
std::string RegistryReadString(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                               std::string_view name);
void RegistryWriteValue(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                        std::string_view name, std::string_view data, std::uint32_t type);
void RegistryDeleteValue(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                         std::string_view name);

class Autostart {
 public:
  Autostart(RegistryCalls& registry, Files& files, SystemServices& system)
      : registry_(registry), files_(files), system_(system) {}

  // Once at program start: replaces a Startup-folder shortcut by the Run value, brings the
  // check box into line with the registry and arms it.
  void SyncAutostartCheckbox(AutostartCheckbox& checkbox);
  // The check box's click: writes or deletes the Run value at once.
  void ApplyAutostartCheckbox(AutostartCheckbox& checkbox);
  // Brings the Run value and the box in line with the AutoStart policy ("1", "0" or none).
  void ApplyAutostartPolicy(AutostartCheckbox& checkbox, const std::optional<std::string>& forced);

  void SetRunEntry(std::string_view name, std::string_view command, bool machineWide, bool runOnce);
  void DeleteRunEntry(std::string_view name, bool machineWide, bool runOnce);
  bool RunEntryExists(std::string_view name, bool machineWide, bool runOnce);

  // The Run value's data for the running program.
  std::string RunCommand();

 private:
  // The user's Run value "Quenora" is there and starts a program file that is there.
  bool UserRunEntryWorks();
  void MarkRunEntryForPolicy(bool marked);

  RegistryCalls& registry_;
  Files& files_;
  SystemServices& system_;
};

}  // namespace quenora
