#pragma once
// When a drive is scanned on its own: a local fixed drive while it fills (it has a forecast), is
// below its early level or in alarm, one drive at a time and seldom, so that by the time the
// user looks the last two scans can say what grew. The user's own commands pass through here.

#include <array>
#include <chrono>
#include <optional>
#include <string_view>

#include "monitor/CheckCycle.h"
#include "monitor/DriveForecasts.h"
#include "monitor/DriveLimits.h"
#include "monitor/DriveTable.h"
#include "platform/DiskSpace.h"
#include "scan/ScanSource.h"

namespace quenora {

// A drive's next automatic scan waits this long from the start of its last scan, and this many
// times as long as that one ran.
inline constexpr std::chrono::minutes kAutoScanEvery{15};
inline constexpr int kAutoScanPause = 4;

// How near a drive is to full, as far as its automatic scans go.
enum class ScanLevel { None, Filling, Early, Alarm };

// The scans as the user commands them, and the automatic ones started at each tick.
class AutoScans final : public ScanSource {
 public:
  // `scans` runs the scans; `disks` tells which drives are local fixed ones.
  AutoScans(ScanSource& scans, DiskSpaceApi& disks) : scans_(scans), disks_(disks) {}

  State StateOf(std::string_view drive) override { return scans_.StateOf(drive); }
  // The user's scan: never held back, and it ends the drive's cancel.
  void StartScan(std::string_view drive) override;
  // The user's cancel: no automatic scan of the drive until its level changes.
  void CancelScan(std::string_view drive) override;

  // After a check cycle: starts the one automatic scan due at `now`, if any.
  void Tick(const DriveTable& drives, const std::array<DriveReading, kMaxDrives>& readings,
            const DriveLimits& limits, const DriveForecasts& forecasts,
            std::chrono::system_clock::time_point now);

 private:
  struct Drive {
    std::optional<ScanLevel> level;  // at the last tick that read the drive
    bool cancelled = false;
    std::optional<ScanLevel> cancelledAt;  // unknown until a tick has read the drive
    bool automatic = false;                // its running scan was started by a tick
  };
  Drive* Find(std::string_view drive);

  ScanSource& scans_;
  DiskSpaceApi& disks_;
  std::array<Drive, 26> drives_{};
};

}  // namespace quenora
