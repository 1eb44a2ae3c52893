#pragma once
// Makes the options window's values take effect: stored, icons rebuilt, one cycle, timer on.

#include "monitor/CheckCycle.h"
#include "settings/MonitorSettings.h"
#include "settings/OptionsControls.h"
#include "tray/TrayIconSet.h"

namespace quenora {

void DoOptionsUebernehmen(OptionsControls& controls, MonitorSettings& settings, TrayIconSet& tray,
                          CheckCycle& cycle);

}  // namespace quenora
