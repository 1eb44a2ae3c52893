#pragma once
// What an administrator fixes for the users of a machine, through Group Policy or Intune: values
// under the policy key of the machine and of the user, with the names and forms the program
// stores its own settings in. A value set there wins over the user's own, which stays as it is.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/RegistryCalls.h"
#include "settings/OptionsValues.h"

namespace quenora {

inline constexpr std::string_view kPolicyKey = "Software\\Policies\\Tarnwick Software\\Quenora";
// "1" starts the program with Windows for the user, "0" never: the user's box can't change it.
inline constexpr std::string_view kAutoStartPolicy = "AutoStart";
// "0": the start hint is never shown.
inline constexpr std::string_view kShowStartHintPolicy = "ShowStartHint";

// "0": no alarm is written to the event log; "1" or not set: every one is.
inline constexpr std::string_view kEventLogPolicy = "EventLog";

// The policy values the program reads, in the order the templates list them.
inline constexpr std::array<std::string_view, 10> kPolicyNames = {
    "TimerInterval", "MemoryLimit",   "AlarmSoundEnabled", "AlarmNotifyEnabled", "DriveList",
    "DriveLimits",   "DriveWarnings", kAutoStartPolicy,    kShowStartHintPolicy, kEventLogPolicy,
};

// Whether `text` is a value the policy `name` can take, as it stands: a number in its range,
// a switch of "0" or "1", drive letters, levels every one of which can be read. A value that
// isn't counts as not set, never as zero.
bool IsValidPolicy(std::string_view name, std::string_view text);

class Policies {
 public:
  // Reads the machine's policy key, then the user's; where both set a value, the machine's wins.
  // Texts and double words (as the templates' number elements store them) are read alike.
  void Read(RegistryCalls& calls);

  // The value fixed for `name` (one of kPolicyNames), or none where no valid one is set.
  const std::optional<std::string>& Value(std::string_view name) const;
  bool Fixes(std::string_view name) const { return Value(name).has_value(); }

  friend bool operator==(const Policies&, const Policies&) = default;

 private:
  std::array<std::optional<std::string>, kPolicyNames.size()> values_{};
};

// The policies changed from `before` to `now`: a setting fixed now takes the policy's value, one
// fixed until now the user's own again, both as `read` (the settings as they read now) has them;
// the others keep what `held` (the options window) holds, applied or not.
void TakePolicyChange(OptionsValues& held, const OptionsValues& read, const Policies& before,
                      const Policies& now);

}  // namespace quenora
