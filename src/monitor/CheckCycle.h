#pragma once
// One check cycle over the monitored drives: measure, choose picture and tooltip, alarm.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "monitor/DriveLimits.h"
#include "monitor/DriveQueries.h"
#include "monitor/DriveTable.h"
#include "monitor/FreeSpace.h"
#include "monitor/TrayPictures.h"
#include "platform/DiskSpace.h"
#include "platform/SystemServices.h"
#include "util/SizeText.h"

namespace quenora {

// Used share of the drive times 27, to the nearest whole number (ties to even), kept within
// 0..27. `totalBytes` must be positive.
int FillLevel(double freeBytes, double totalBytes);

// Tooltip of a readable drive: "Rest auf C: »SYSTEM« 12,3 GB = 45%".
std::string DriveTipText(std::string_view drive, std::string_view volumeLabel, double freeBytes,
                         double totalBytes, std::string_view decimalSeparator);
// Tooltip of a drive that can't be read: "Fehler: Von A: kann nicht gelesen werden."
std::string DriveTipText(std::string_view drive);

// What the check of one drive decided: the picture and tooltip its tray icon is to show, if
// they may have changed, and whether the beep sounds after it.
struct IconUpdate {
  std::uint32_t iconId = 0;  // the drive's list position
  bool send = false;
  int picture = 0;  // IcoImage index, 0..29
  std::string tip;
  bool beep = false;
};

// How a drive stood in the last cycle, for what watches the drives beyond their icons.
struct DriveReading {
  enum class State { Waiting, Readable, Unreadable };
  State state = State::Waiting;
  double freeBytes = 0;   // with Readable
  double totalBytes = 0;  // with Readable
  // The volume label last read.
  std::string label;
};

class CheckCycle {
 public:
  // The disk service is shared with the workers that ask slow drives; a worker ends after
  // `idleWorkerEnds` without a question; a local disk gets its workers once an answer took
  // `slowAnswer`.
  CheckCycle(DriveTable& drives, const FreeSpace& freeSpace, std::shared_ptr<DiskSpaceApi> disks,
             SystemServices& system,
             std::chrono::milliseconds idleWorkerEnds = std::chrono::seconds(10),
             std::chrono::milliseconds slowAnswer = std::chrono::milliseconds(100))
      : drives_(drives),
        system_(system),
        queries_(freeSpace, std::move(disks), idleWorkerEnds, slowAnswer) {}

  // Measures every monitored drive once and returns, in list order, the drives whose icon is
  // to be sent again or after which the beep sounds; a quiet drive is not in it.
  std::vector<IconUpdate> UpdateIcons();
  // Appends a monitored drive (1 = A ... 26 = Z); its list position, or 0 when the list is full.
  std::uint32_t AddDrive(std::int32_t driveNumber);
  // How each monitored drive stood in the last cycle, by list position (slot 0 is position 1).
  const std::array<DriveReading, kMaxDrives>& Readings() const { return readings_; }
  // How drive `letter` ('D') stood in the last cycle; waiting for a drive not monitored.
  DriveReading ReadingOf(char letter) const;
  // The monitored drives, which only the cycle writes.
  const DriveTable& Drives() const { return drives_; }
  // Empties the list of monitored drives.
  void RemoveAllDrives() { drives_.DriveCount = 0; }
  // Forgets every remembered free byte count, so the next cycle recomputes every drive.
  void ClearVorigerFreierSpeicher();
  // Drive queries asked and not answered yet, late ones included.
  int OutstandingQueries() const { return queries_.Outstanding(); }
  // The drive workers there are now (a drive that answers slowly or not at all has its own).
  int QueryWorkers() const { return queries_.Workers(); }

  // Alarm limit in megabytes of 2^20 bytes: every drive's without a limit of its own.
  double MemoryLimit = 10;
  // By drive letter: a drive's own alarm limit, and its early level.
  DriveLevels OwnLimits{};
  DriveLevels EarlyLevels{};
  // Each drive's levels as the cycle holds them now.
  DriveLimits Limits() const { return {MemoryLimit, &OwnLimits, &EarlyLevels}; }
  // Nonzero: beep in the alarm phase.
  std::int16_t AlarmSoundEnabled = -1;
  // 0 or 1; the first cycle flips it to 1, the alarm phase.
  std::int16_t BlinkPhase = 0;
  // How long a cycle waits for its drives' answers; a drive that hasn't answered by then is
  // waiting, and keeps its icon and tooltip.
  std::chrono::milliseconds QueryPatience{2000};
  // A waiting drive counts as unreadable once its question has been outstanding this long and
  // for this many cycles in a row, whichever ends later.
  std::chrono::milliseconds UnreadableAfter{30000};
  int UnreadableAfterCycles = 3;

 private:
  DriveTable& drives_;
  SystemServices& system_;
  DriveQueries queries_;
  // Per list position: cycles in a row in which the drive was still waiting for its answer,
  // and whether its tooltip was built before its label read came back.
  std::array<int, kMaxDrives> waitingCycles_{};
  std::array<bool, kMaxDrives> labelPending_{};
  std::array<DriveReading, kMaxDrives> readings_{};
};

}  // namespace quenora
