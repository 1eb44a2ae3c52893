#include "ui/ScanPolicy.h"

#include <algorithm>

namespace quenora {

std::vector<std::string> DrivesDueForScan(const DriveTable& drives,
                                          const std::array<DriveReading, kMaxDrives>& readings,
                                          const DriveLimits& limits,
                                          const DriveForecasts& forecasts, ScanSource& scans,
                                          std::chrono::system_clock::time_point now) {
  std::vector<std::string> due;
  const int count = std::clamp<int>(drives.DriveCount, 0, kMaxDrives);
  for (int p = 1; p <= count; ++p) {
    const std::size_t slot = static_cast<std::size_t>(p - 1);
    const std::int32_t number = drives.DriveNumbers[slot];
    const DriveReading& reading = readings[slot];
    if (number < 1 || number > 26 || ListedEarlier(drives, slot) ||
        reading.state != DriveReading::State::Readable) {
      continue;
    }
    const double limit = limits.LimitBytes(number, reading.totalBytes);
    const std::optional<double> early = limits.EarlyBytes(number, reading.totalBytes);
    const bool watched = reading.freeBytes < limit || (early && reading.freeBytes < *early) ||
                         forecasts.TimeUntilBelow(number, limit).has_value();
    if (!watched) continue;
    const std::string drive = DriveName(number);
    const ScanSource::State state = scans.StateOf(drive);
    // A clock put back makes the last scan lie ahead: that counts as long ago.
    if (state.running || (state.latest && state.latest->finished <= now &&
                          now - state.latest->finished < kAutoScanEvery)) {
      continue;
    }
    due.push_back(drive);
  }
  return due;
}

}  // namespace quenora
