#pragma once
// One check cycle over the monitored drives: measure, choose picture and tooltip, alarm.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "monitor/DriveQueries.h"
#include "monitor/DriveTable.h"
#include "monitor/FreeSpace.h"
#include "monitor/TrayPictures.h"
#include "platform/DiskSpace.h"
#include "platform/SystemServices.h"
#include "tray/TrayIconSet.h"

namespace quenora {

// Handles of the thirty tray pictures IcoImage(0)..IcoImage(29). A handle set from outside is
// used as it is; a picture not set is asked of the maker, if there is one, when it is first
// wanted, so a program in the tray makes only the pictures it shows.
class IconImages {
 public:
  using Maker = IconHandle (*)(int index, void* context);

  IconImages() = default;
  IconImages(Maker maker, void* context) : maker_(maker), context_(context) {}

  IconHandle& operator[](std::size_t index) { return handles_[index]; }
  IconHandle operator[](std::size_t index) const {
    IconHandle& handle = handles_[index];
    if (handle == 0 && maker_) handle = maker_(static_cast<int>(index), context_);
    return handle;
  }
  static constexpr std::size_t size() { return kTrayPictureCount; }

 private:
  mutable std::array<IconHandle, kTrayPictureCount> handles_{};
  Maker maker_ = nullptr;
  void* context_ = nullptr;
};

// Used share of the drive times 27, to the nearest whole number (ties to even), kept within
// 0..27. `totalBytes` must be positive.
int FillLevel(double freeBytes, double totalBytes);

struct SizeUnit {
  std::string_view text;  // " Byte", " KB", " MB", " GB" or " TB"
  int exponent;           // the power of two the free bytes are divided by
};
SizeUnit ChooseUnit(double freeBytes);

// Tooltip of a readable drive: "Rest auf C: »SYSTEM« 12,3 GB = 45%".
std::string DriveTipText(std::string_view drive, std::string_view volumeLabel, double freeBytes,
                         double totalBytes, std::string_view decimalSeparator);
// Tooltip of a drive that can't be read: "Fehler: Von A: kann nicht gelesen werden."
std::string DriveTipText(std::string_view drive);

class CheckCycle {
 public:
  CheckCycle(DriveTable& drives, FreeSpace& freeSpace, DiskSpaceApi& disks, TrayIconSet& tray,
             SystemServices& system, const IconImages& icoImage)
      : drives_(drives),
        tray_(tray),
        system_(system),
        icoImage_(icoImage),
        queries_(freeSpace, disks) {}

  // Measures every monitored drive once and re-sends the icons whose state may have changed.
  void UpdateIcons();
  // Forgets every remembered free byte count, so the next cycle recomputes every drive.
  void ClearVorigerFreierSpeicher();
  // Drive queries asked and not answered yet, late ones included.
  int OutstandingQueries() const { return queries_.Outstanding(); }

  // Alarm limit in megabytes of 2^20 bytes.
  double MemoryLimit = 10;
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
  TrayIconSet& tray_;
  SystemServices& system_;
  const IconImages& icoImage_;
  DriveQueries queries_;
  // Per list position: cycles in a row in which the drive was still waiting for its answer,
  // and whether its tooltip was built before its label read came back.
  std::array<int, kMaxDrives> waitingCycles_{};
  std::array<bool, kMaxDrives> labelPending_{};
};

}  // namespace quenora
