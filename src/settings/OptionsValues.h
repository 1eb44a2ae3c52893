#pragma once
// The options between two applies: what the options window shows, and what the next apply
// stores.

#include <string>
#include <vector>

#include "util/AlarmLimit.h"
#include "util/DriveLevels.h"

namespace quenora {

inline constexpr int kMinInterval = 1, kMaxInterval = 60, kDefaultInterval = 10;

// An entry of the drive list LV: "C: [SYSTEM]", the letter in upper case, and its check mark.
struct DriveEntry {
  std::string text;
  bool checked = false;
};

struct OptionsValues {
  int timerInterval = kDefaultInterval;  // TimerIntervalSlider: seconds between two cycles
  int memLimit = kDefaultLimit;          // MemLimitSlider: the alarm limit in megabytes
  bool alarmSound = true;                // Check1(0): the acoustic warning
  bool alarmNotify = true;               // NotifyChk: a notification with the alarm
  std::vector<DriveEntry> drives;        // LV: the system's drives, the monitored ones checked
  bool autoStart = false;                // AutoStartChk: mirrors the autostart entry, not stored
  // By drive letter, also of drives that aren't there now: a drive's own alarm limit, and its
  // early level.
  DriveLevels driveLimits{};
  DriveLevels driveWarnings{};
};

}  // namespace quenora
