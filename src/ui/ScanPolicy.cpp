#include "ui/ScanPolicy.h"

#include <algorithm>
#include <string>

namespace quenora {

namespace {

ScanLevel LevelOf(std::int32_t number, const DriveReading& reading, const DriveLimits& limits,
                  const DriveForecasts& forecasts) {
  const double limit = limits.LimitBytes(number, reading.totalBytes);
  const std::optional<double> early = limits.EarlyBytes(number, reading.totalBytes);
  if (reading.freeBytes < limit) return ScanLevel::Alarm;
  if (early && reading.freeBytes < *early) return ScanLevel::Early;
  return forecasts.TimeUntilBelow(number, limit) ? ScanLevel::Filling : ScanLevel::None;
}

// A drive's last scan holds the next automatic one back: a drive that takes an hour to read is
// read at most a fifth of the time, and a scan the user just ran needn't be repeated.
bool HeldBack(const ScanSource::State& state, std::chrono::system_clock::time_point now) {
  if (state.running) return true;
  // A clock put back makes the last scan lie ahead: that counts as long ago.
  if (!state.latest || now < state.latestStarted) return false;
  return now - state.latestStarted <
         std::max<std::chrono::nanoseconds>(kAutoScanEvery, kAutoScanPause * state.latestTook);
}

}  // namespace

AutoScans::Drive* AutoScans::Find(std::string_view drive) {
  const char letter = drive.empty() ? '\0' : static_cast<char>(drive[0] & ~0x20);
  if (letter < 'A' || letter > 'Z') return nullptr;
  return &drives_[static_cast<std::size_t>(letter - 'A')];
}

void AutoScans::StartScan(std::string_view drive) {
  if (Drive* d = Find(drive)) {
    d->cancelled = false;
    // Once the automatic scan has ended, the next one is the user's, whenever the tick looks.
    d->automatic = d->automatic && scans_.StateOf(drive).running;
  }
  scans_.StartScan(drive);
}

void AutoScans::CancelScan(std::string_view drive) {
  if (Drive* d = Find(drive)) {
    d->cancelled = true;
    d->cancelledAt = d->level;
  }
  scans_.CancelScan(drive);
}

void AutoScans::Tick(const DriveTable& drives, const std::array<DriveReading, kMaxDrives>& readings,
                     const DriveLimits& limits, const DriveForecasts& forecasts,
                     std::chrono::system_clock::time_point now) {
  // Scans read the disk hard: while one started here runs, whatever drive it reads, no other
  // starts.
  bool oneRuns = false;
  for (std::int32_t number = 1; number <= 26; ++number) {
    Drive& d = drives_[static_cast<std::size_t>(number - 1)];
    // A scan ends, or the user cancels it, without a word to this unit: it looks.
    d.automatic = d.automatic && scans_.StateOf(DriveName(number)).running;
    oneRuns = oneRuns || d.automatic;
  }
  std::optional<std::int32_t> due;
  const int count = std::clamp<int>(drives.DriveCount, 0, kMaxDrives);
  for (int slot = 0; slot < count; ++slot) {
    const std::int32_t number = drives.DriveNumbers[static_cast<std::size_t>(slot)];
    const DriveReading& reading = readings[static_cast<std::size_t>(slot)];
    if (number < 1 || number > 26 || ListedEarlier(drives, static_cast<std::size_t>(slot)) ||
        reading.state != DriveReading::State::Readable) {
      continue;
    }
    Drive& d = drives_[static_cast<std::size_t>(number - 1)];
    d.level = LevelOf(number, reading, limits, forecasts);
    // A cancel holds for the level the drive had then, or, cancelled before any tick read it,
    // for the level read now: once it leaves that level, the cancel is over.
    if (d.cancelled && !d.cancelledAt) d.cancelledAt = d.level;
    if (d.cancelled && d.cancelledAt != d.level) d.cancelled = false;
    if (due || oneRuns || d.level == ScanLevel::None || d.cancelled) continue;
    // A network or removable drive is read only when the user asks: across the wire, or from a
    // stick, a scan takes long and may wake or hold up more than the drive.
    const std::string name = DriveName(number);
    if (disks_.KindOfDrive(name + "\\") != DriveKind::LocalDisk ||
        HeldBack(scans_.StateOf(name), now)) {
      continue;
    }
    due = number;
  }
  if (!due) return;
  const std::string name = DriveName(*due);
  scans_.StartScan(name);
  // Without a thread to be had nothing runs, and the next tick tries again.
  drives_[static_cast<std::size_t>(*due - 1)].automatic = scans_.StateOf(name).running;
}

}  // namespace quenora
