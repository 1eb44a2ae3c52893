#pragma once
// When a drive is scanned on its own: while it fills (it has a forecast), is below its early
// level or in alarm, and at most every quarter of an hour, so that by the time the user looks
// the last two scans can say what grew.

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "monitor/CheckCycle.h"
#include "monitor/DriveForecasts.h"
#include "monitor/DriveLimits.h"
#include "monitor/DriveTable.h"
#include "scan/ScanSource.h"

namespace quenora {

inline constexpr std::chrono::minutes kAutoScanEvery{15};

// The monitored drives ("D:") whose scan is due at `now`: readable in the last cycle, in one
// of those states, no scan running, and none finished within kAutoScanEvery.
std::vector<std::string> DrivesDueForScan(const DriveTable& drives,
                                          const std::array<DriveReading, kMaxDrives>& readings,
                                          const DriveLimits& limits,
                                          const DriveForecasts& forecasts, ScanSource& scans,
                                          std::chrono::system_clock::time_point now);

}  // namespace quenora
