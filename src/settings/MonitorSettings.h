#pragma once
// The monitor settings: loaded into the options window, the check cycle and the tray icons,
// and saved from the window.

#include <string_view>

#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "settings/OptionsControls.h"
#include "settings/SettingsStore.h"
#include "tray/TrayIconSet.h"

namespace quenora {

inline constexpr std::string_view kTimerIntervalKey = "TimerInterval";
inline constexpr std::string_view kMemoryLimitKey = "MemoryLimit";
inline constexpr std::string_view kAlarmSoundEnabledKey = "AlarmSoundEnabled";
inline constexpr std::string_view kDriveListKey = "DriveList";
inline constexpr std::string_view kDoneBeforeKey = "DoneBefore";

inline constexpr int kMinInterval = 1, kMaxInterval = 60, kDefaultInterval = 10;
inline constexpr int kMinLimit = 1, kMaxLimit = 1000, kDefaultLimit = 10;

class MonitorSettings {
 public:
  MonitorSettings(SettingsStore& store, OptionsControls& controls, CheckCycle& cycle,
                  DriveTable& drives, TrayIconSet& tray, const IconImages& icoImage)
      : store_(store),
        controls_(controls),
        cycle_(cycle),
        drives_(drives),
        tray_(tray),
        icoImage_(icoImage) {}

  // Loads every setting with its default into the controls and the check cycle, rebuilds the
  // drive list and adds one tray icon per monitored drive (existing icons are not removed).
  void ReadSettings();
  // Stores the controls' values; changes nothing in the running program.
  void WriteSettings();

 private:
  SettingsStore& store_;
  OptionsControls& controls_;
  CheckCycle& cycle_;
  DriveTable& drives_;
  TrayIconSet& tray_;
  const IconImages& icoImage_;
};

}  // namespace quenora
