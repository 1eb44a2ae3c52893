#pragma once
// Makes the options window's values take effect: stored, icons rebuilt, one cycle, timer on.

#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "settings/MonitorSettings.h"
#include "settings/OptionsControls.h"
#include "tray/TrayIconSet.h"

namespace quenora {

void DoOptionsUebernehmen(OptionsControls& controls, MonitorSettings& settings, DriveTable& drives,
                          TrayIconSet& tray, CheckCycle& cycle);

}  // namespace quenora
