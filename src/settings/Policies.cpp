#include "settings/Policies.h"

#include <algorithm>
#include <cmath>

#include "settings/Autostart.h"
#include "settings/OptionsValues.h"
#include "util/AlarmLimit.h"
#include "util/DriveLevels.h"
#include "util/Numbers.h"

namespace quenora {

namespace {

std::size_t IndexOf(std::string_view name) {
  const auto found = std::find(kPolicyNames.begin(), kPolicyNames.end(), name);
  return static_cast<std::size_t>(found - kPolicyNames.begin());
}

bool IsWholeIn(std::string_view text, int minimum, int maximum) {
  const std::optional<double> number = ParseNumber(text);
  return number && *number == std::floor(*number) && *number >= minimum && *number <= maximum;
}

// The policy value's text: a string as it stands, a double word as its decimal number.
std::optional<std::string> ReadPolicyValue(RegistryCalls& calls, RegistryRoot root,
                                           std::string_view name) {
  const RegistryKeyAnswer open = calls.OpenKey(root, kPolicyKey, RegistryAccess::QueryValue);
  if (open.code != kRegistrySuccess) return std::nullopt;
  RegistryValueAnswer answer = calls.QueryValue(open.key, name, nullptr);
  std::optional<std::string> text;
  if (answer.code == kRegistrySuccess && answer.type == kRegDword && answer.size == 4) {
    std::u16string units(2, u'\0');
    answer = calls.QueryValue(open.key, name, &units);
    if (answer.code == kRegistrySuccess) {
      const std::uint32_t value = static_cast<std::uint32_t>(units[0]) |
                                  static_cast<std::uint32_t>(units[1]) << 16;
      text = std::to_string(value);
    }
  } else if (answer.code == kRegistrySuccess &&
             (answer.type == kRegSz || answer.type == kRegExpandSz)) {
    text = RegistryReadString(calls, root, kPolicyKey, name);
  }
  calls.CloseKey(open.key);
  return text;
}

}  // namespace

bool IsValidPolicy(std::string_view name, std::string_view text) {
  if (name == "TimerInterval") return IsWholeIn(text, kMinInterval, kMaxInterval);
  if (name == "MemoryLimit") return IsWholeIn(text, kMinLimit, kMaxLimit);
  if (name == "AlarmSoundEnabled" || name == "AlarmNotifyEnabled" || name == kAutoStartPolicy ||
      name == kEventLogPolicy) {
    return text == "0" || text == "1";
  }
  if (name == kShowStartHintPolicy) return text == "0";
  if (name == "DriveList") {
    return !text.empty() && text.size() <= 26 &&
           std::all_of(text.begin(), text.end(), [](char c) {
             return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
           });
  }
  if (name == "DriveLimits" || name == "DriveWarnings") {
    // At least one drive's level: an empty policy fixes nothing.
    const std::optional<DriveLevels> levels = ParseDriveLevelsExactly(text);
    return levels && std::any_of(levels->begin(), levels->end(),
                                 [](const std::optional<DriveLevel>& level) { return level.has_value(); });
  }
  return false;
}

void Policies::Read(RegistryCalls& calls) {
  for (std::size_t i = 0; i < kPolicyNames.size(); ++i) {
    values_[i].reset();
    for (const RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
      std::optional<std::string> text = ReadPolicyValue(calls, root, kPolicyNames[i]);
      if (text && IsValidPolicy(kPolicyNames[i], *text)) {
        values_[i] = std::move(text);
        break;
      }
    }
  }
}

const std::optional<std::string>& Policies::Value(std::string_view name) const {
  static const std::optional<std::string> kNone;
  const std::size_t index = IndexOf(name);
  return index < values_.size() ? values_[index] : kNone;
}

void TakePolicyChange(OptionsValues& held, const OptionsValues& read, const Policies& before,
                      const Policies& now) {
  const auto turned = [&](std::string_view name) { return now.Fixes(name) || before.Fixes(name); };
  if (turned("TimerInterval")) held.timerInterval = read.timerInterval;
  if (turned("MemoryLimit")) held.memLimit = read.memLimit;
  if (turned("AlarmSoundEnabled")) held.alarmSound = read.alarmSound;
  if (turned("AlarmNotifyEnabled")) held.alarmNotify = read.alarmNotify;
  if (turned("DriveList")) held.drives = read.drives;
  if (turned("DriveLimits")) held.driveLimits = read.driveLimits;
  if (turned("DriveWarnings")) held.driveWarnings = read.driveWarnings;
}

}  // namespace quenora
