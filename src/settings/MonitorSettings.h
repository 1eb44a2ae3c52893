#pragma once
// The monitor settings: loaded into the options the window shows, the check cycle and the tray
// icons, and saved from those options.

#include <string_view>

#include <cstdint>

#include "platform/LogicalDrives.h"
#include "settings/OptionsValues.h"
#include "settings/Policies.h"
#include "settings/SettingsStore.h"

namespace quenora {

inline constexpr std::string_view kTimerIntervalKey = "TimerInterval";
inline constexpr std::string_view kMemoryLimitKey = "MemoryLimit";
inline constexpr std::string_view kAlarmSoundEnabledKey = "AlarmSoundEnabled";
inline constexpr std::string_view kDriveListKey = "DriveList";
inline constexpr std::string_view kDoneBeforeKey = "DoneBefore";
// "1" or "0": whether a drive's alarm is also told by a notification.
inline constexpr std::string_view kAlarmNotifyEnabledKey = "AlarmNotifyEnabled";
// Each drive's own alarm limit and early level: "D=10%;E=20GB;F=500MB".
inline constexpr std::string_view kDriveLimitsKey = "DriveLimits";
inline constexpr std::string_view kDriveWarningsKey = "DriveWarnings";

// Where the loaded settings take effect in the running program: the alarm of the check cycle,
// and the monitored drives, each with its tray icon.
class MonitoredDrives {
 public:
  virtual ~MonitoredDrives() = default;
  // The alarm limit in megabytes of 2^20 bytes, whether the beep sounds and whether a
  // notification tells the alarm.
  virtual void SetAlarm(double memoryLimit, bool soundEnabled, bool notifyEnabled) = 0;
  // Each drive's own alarm limit and early level, by drive letter.
  virtual void SetDriveLevels(const DriveLevels& limits, const DriveLevels& early) = 0;
  // The seconds between two check cycles.
  virtual void SetCheckInterval(int seconds) = 0;
  // Forgets the monitored drives (their tray icons are not touched).
  virtual void RemoveMonitoredDrives() = 0;
  // Appends a monitored drive, 1 = A ... 26 = Z, and adds its tray icon.
  virtual void AddMonitoredDrive(std::int32_t driveNumber) = 0;
};

class MonitorSettings {
 public:
  MonitorSettings(SettingsStore& store, LogicalDrives& drives, MonitoredDrives& monitored,
                  const Policies* policies = nullptr)
      : store_(store), drives_(drives), monitored_(monitored), policies_(policies) {}

  // Loads every stored setting with its default into `options` and the check cycle, lists the
  // system's drives afresh and adds one tray icon per monitored drive (existing icons are not
  // removed). A value fixed by policy is taken instead of the stored one. The autostart box
  // isn't stored with these: it keeps its value.
  void ReadSettings(OptionsValues& options);
  // The letters of the drives the settings ask to monitor, in the stored order, upper case.
  std::string WantedDriveLetters();
  // Stores `options`, except what a policy fixes (the user's own value stays for when the
  // policy goes); changes nothing in the running program.
  void WriteSettings(const OptionsValues& options);

 private:
  SettingsStore& store_;
  LogicalDrives& drives_;
  MonitoredDrives& monitored_;
  const Policies* policies_;

  // The policy's value of `key` where one fixes it, else the stored text or the default.
  std::string Load(std::string_view key, const SettingValue& fallback);
  // Stores the value unless a policy fixes the key.
  void Save(std::string_view key, const SettingValue& value);
};

}  // namespace quenora
