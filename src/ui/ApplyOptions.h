#pragma once
// Makes the options window's values take effect: stored, icons rebuilt, one cycle, timer on.

#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "settings/MonitorSettings.h"
#include "settings/OptionsValues.h"
#include "tray/TrayIconSet.h"
#include "ui/TrayView.h"

namespace quenora {

// The window's check timer Timer1: one check cycle per interval while it is on.
class CheckTimer {
 public:
  virtual ~CheckTimer() = default;
  virtual void SetTimer1Interval(unsigned milliseconds) = 0;
  virtual void SetTimer1Enabled(bool enabled) = 0;
};

// Stores `options` as the window holds them and loads them back from the store, with the check
// cycle, the icons and the timer's interval.
void DoOptionsUebernehmen(OptionsValues& options, CheckTimer& timer, MonitorSettings& settings,
                          TrayIconSet& tray, CheckCycle& cycle, TrayView& view);

}  // namespace quenora
