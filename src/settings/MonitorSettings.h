#pragma once
// The monitor settings: loaded into the options window, the check cycle and the tray icons,
// and saved from the window.

#include <string_view>

#include <cstdint>

#include "settings/OptionsControls.h"
#include "settings/SettingsStore.h"

namespace quenora {

inline constexpr std::string_view kTimerIntervalKey = "TimerInterval";
inline constexpr std::string_view kMemoryLimitKey = "MemoryLimit";
inline constexpr std::string_view kAlarmSoundEnabledKey = "AlarmSoundEnabled";
inline constexpr std::string_view kDriveListKey = "DriveList";
inline constexpr std::string_view kDoneBeforeKey = "DoneBefore";

inline constexpr int kMinInterval = 1, kMaxInterval = 60, kDefaultInterval = 10;
inline constexpr int kMinLimit = 1, kMaxLimit = 1000, kDefaultLimit = 10;

// Where the loaded settings take effect in the running program: the alarm of the check cycle,
// and the monitored drives, each with its tray icon.
class MonitoredDrives {
 public:
  virtual ~MonitoredDrives() = default;
  // The alarm limit in megabytes of 2^20 bytes, and whether the beep sounds.
  virtual void SetAlarm(double memoryLimit, bool soundEnabled) = 0;
  // Forgets the monitored drives (their tray icons are not touched).
  virtual void RemoveMonitoredDrives() = 0;
  // Appends a monitored drive, 1 = A ... 26 = Z, and adds its tray icon.
  virtual void AddMonitoredDrive(std::int32_t driveNumber) = 0;
};

class MonitorSettings {
 public:
  MonitorSettings(SettingsStore& store, OptionsControls& controls, MonitoredDrives& monitored)
      : store_(store), controls_(controls), monitored_(monitored) {}

  // Loads every setting with its default into the controls and the check cycle, rebuilds the
  // drive list and adds one tray icon per monitored drive (existing icons are not removed).
  void ReadSettings();
  // Stores the controls' values; changes nothing in the running program.
  void WriteSettings();

 private:
  SettingsStore& store_;
  OptionsControls& controls_;
  MonitoredDrives& monitored_;
};

}  // namespace quenora
