#pragma once
// The drive list of the options window made anew when drives come or go, the user's checks kept.

#include <string>
#include <vector>

#include "monitor/DriveTable.h"
#include "settings/OptionsValues.h"

namespace quenora {

// `listed` are the system's drives now, as the drive list box gives them ("c: [SYSTEM]"). An
// entry keeps the check its letter had in `shown`; a letter new to the list is checked when the
// program monitors it now (a stick the settings wanted), so the next apply keeps it.
std::vector<DriveEntry> RefreshedDriveEntries(const std::vector<DriveEntry>& shown,
                                              const std::vector<std::string>& listed,
                                              const DriveTable& monitored);

}  // namespace quenora
