#include "settings/MonitorSettings.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "settings/DriveListBox.h"
#include "util/Numbers.h"
#include "util/Rounding.h"

namespace quenora {

namespace {

// A stored number, or `fallback` where the text is no number (edited by hand).
double StoredNumber(const std::string& text, double fallback) {
  return ParseNumber(text).value_or(fallback);
}

// Whole number within the slider's range; the rounding sends halves to the even neighbour.
int SliderValue(double value, int minimum, int maximum) {
  return static_cast<int>(
      std::clamp(RoundHalfEven(value), static_cast<double>(minimum), static_cast<double>(maximum)));
}

// A drive letter for each of A to Z.
constexpr int kDriveLetters = 26;

char ToUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsDriveLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
int DriveNumberOf(char letter) {
  return letter % 64;
}

}  // namespace

std::string MonitorSettings::Load(std::string_view key, const SettingValue& fallback) {
  if (policies_ && policies_->Fixes(key)) return *policies_->Value(key);
  return store_.LoadValue(key, fallback);
}

void MonitorSettings::Save(std::string_view key, const SettingValue& value) {
  if (!(policies_ && policies_->Fixes(key))) store_.SaveValue(key, value);
}

void MonitorSettings::ReadSettings(OptionsValues& options) {
  // 1. The check interval; the window sets its timer from it.
  options.timerInterval = SliderValue(
      StoredNumber(Load(kTimerIntervalKey, kDefaultInterval), kDefaultInterval),
      kMinInterval, kMaxInterval);
  monitored_.SetCheckInterval(options.timerInterval);

  // 2. The alarm limit: the cycle keeps the stored megabytes (10.4 stays 10.4 until the next
  // apply writes the slider's 10), held within the slider's range.
  const double limit = AlarmLimitInRange(
      StoredNumber(Load(kMemoryLimitKey, kDefaultLimit), kDefaultLimit));
  options.memLimit = SliderValue(limit, kMinLimit, kMaxLimit);

  // 3. The acoustic warning: any number but 0 switches it on.
  const double sound = StoredNumber(Load(kAlarmSoundEnabledKey, 1), 1);
  options.alarmSound = sound != 0;
  // The notification: "1" or "0"; anything else (edited by hand) gets the default, on.
  const double notify = StoredNumber(Load(kAlarmNotifyEnabledKey, 1), 1);
  options.alarmNotify = notify != 0;
  monitored_.SetAlarm(limit, options.alarmSound, options.alarmNotify);
  // Each drive's own levels, kept for drives that aren't there now (a stick's limit is there
  // when it comes back).
  options.driveLimits = ParseDriveLevels(Load(kDriveLimitsKey, ""));
  options.driveWarnings = ParseDriveLevels(Load(kDriveWarningsKey, ""));
  monitored_.SetDriveLevels(options.driveLimits, options.driveWarnings);

  // 4. The drive list: one entry per drive the system has now, unchecked, in letter order.
  // Which drives there are is all that the icons need: until step 7 an entry is its letter.
  const std::uint32_t mask = drives_.LogicalDriveMask();
  std::array<std::optional<std::size_t>, kDriveLetters + 1> entryOfDrive{};
  std::vector<DriveEntry> entries;
  for (int n = 0; n < kDriveLetters; ++n) {
    if (!(mask & (1u << n))) continue;
    const char letter = static_cast<char>('A' + n);
    entryOfDrive[static_cast<std::size_t>(DriveNumberOf(letter))] = entries.size();
    entries.push_back({std::string{letter, ':'}, false});
  }
  options.drives = std::move(entries);

  // 5. The monitored drives, in the stored order.
  const std::string letters = WantedDriveLetters();
  monitored_.RemoveMonitoredDrives();
  int monitoredCount = 0;

  // 6. One position and one tray icon per letter of a drive that exists, at most 26.
  for (const char letter : letters) {
    const int number = DriveNumberOf(letter);
    const std::optional<std::size_t> entry = entryOfDrive[static_cast<std::size_t>(number)];
    if (!entry) continue;
    if (monitoredCount >= kDriveLetters) break;
    ++monitoredCount;
    monitored_.AddMonitoredDrive(number);
    options.drives[*entry].checked = true;
  }

  // 7. What each entry says of its drive, asked once the icons are in the tray: a drive's type
  // and label come from the system's volume management, and a label may have to wait for a
  // disk to spin up. Nothing shows the list before this read returns.
  for (DriveEntry& entry : options.drives) {
    std::string text = DriveListEntry(drives_, entry.text[0]);
    text[0] = ToUpper(text[0]);
    entry.text = std::move(text);
  }
}

std::string MonitorSettings::WantedDriveLetters() {
  // Characters that are no drive letters (edited by hand) are passed over as if they weren't
  // there; nothing left means C:.
  std::string letters;
  for (const char c : Load(kDriveListKey, "C")) {
    if (IsDriveLetter(ToUpper(c))) letters.push_back(ToUpper(c));
  }
  if (letters.empty()) letters = "C";
  return letters;
}

void MonitorSettings::WriteSettings(const OptionsValues& options) {
  store_.SaveValue(kDoneBeforeKey, 1);  // also under policies: the options were applied
  Save(kMemoryLimitKey, options.memLimit);
  Save(kTimerIntervalKey, options.timerInterval);
  Save(kAlarmSoundEnabledKey, options.alarmSound ? 1 : 0);
  Save(kAlarmNotifyEnabledKey, options.alarmNotify ? 1 : 0);
  Save(kDriveLimitsKey, DriveLevelsText(options.driveLimits));
  Save(kDriveWarningsKey, DriveLevelsText(options.driveWarnings));
  // The first letter of every checked entry, in the list's order.
  std::string letters;
  for (const DriveEntry& entry : options.drives) {
    if (entry.checked && !entry.text.empty()) letters.push_back(entry.text[0]);
  }
  Save(kDriveListKey, letters);
}

}  // namespace quenora
