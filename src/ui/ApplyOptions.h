#pragma once
// Makes the options window's values take effect: stored, icons rebuilt, one cycle, timer on.

#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "settings/MonitorSettings.h"
#include "settings/OptionsControls.h"
#include "tray/TrayIconSet.h"
#include "ui/TrayView.h"

namespace quenora {

void DoOptionsUebernehmen(OptionsControls& controls, MonitorSettings& settings, TrayIconSet& tray,
                          CheckCycle& cycle, TrayView& view);

}  // namespace quenora
