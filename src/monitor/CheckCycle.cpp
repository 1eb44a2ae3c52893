#include "monitor/CheckCycle.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "util/ExactDecimal.h"
#include "util/Rounding.h"
#include "util/SizeText.h"

namespace quenora {

namespace {

// A whole, already rounded, non-negative number in decimal digits, without separators.
std::string WholeNumberText(double value) {
  return FixedText(value, 0);
}

}  // namespace

int FillLevel(double freeBytes, double totalBytes) {
  const double level = RoundHalfEven((totalBytes - freeBytes) / totalBytes * kMaxFillLevel);
  // More free than total bytes (a confused file system) would give a negative level.
  if (!(level > 0)) return 0;
  return static_cast<int>(std::min(level, static_cast<double>(kMaxFillLevel)));
}

std::string DriveTipText(std::string_view drive, std::string_view volumeLabel, double freeBytes,
                         double totalBytes, std::string_view decimalSeparator) {
  std::string text = "Rest auf ";
  text += drive;
  if (!volumeLabel.empty()) {
    text += " \xC2\xBB";  // »
    text += volumeLabel;
    text += "\xC2\xAB";  // «
  }
  text += FreeSpaceText(freeBytes, decimalSeparator);
  text += " = ";
  text += WholeNumberText(RoundHalfAwayFromZero(freeBytes / totalBytes * 100));
  text += "%";
  return text;
}

std::string DriveTipText(std::string_view drive) {
  std::string text = "Fehler: Von ";
  text += drive;
  text += " kann nicht gelesen werden.";
  return text;
}

DriveReading CheckCycle::ReadingOf(char letter) const {
  for (int slot = 0; slot < drives_.DriveCount && slot < kMaxDrives; ++slot) {
    if (drives_.DriveNumbers[static_cast<std::size_t>(slot)] == letter % 64) {
      return readings_[static_cast<std::size_t>(slot)];
    }
  }
  return {};
}

void CheckCycle::ClearVorigerFreierSpeicher() {
  drives_.PrevFreeBytes.fill(-1);
}

std::uint32_t CheckCycle::AddDrive(std::int32_t driveNumber) {
  if (drives_.DriveCount < 0 || drives_.DriveCount >= kMaxDrives) return 0;
  drives_.DriveNumbers[static_cast<std::size_t>(drives_.DriveCount)] = driveNumber;
  return static_cast<std::uint32_t>(++drives_.DriveCount);
}

std::vector<IconUpdate> CheckCycle::UpdateIcons() {
  std::vector<IconUpdate> updates;
  BlinkPhase = static_cast<std::int16_t>((BlinkPhase + 1) % 2);
  const DriveLimits limits = Limits();
  // The sound flag belongs to the cycle: once a drive raised it, the beep follows that drive
  // and every later drive of the same cycle.
  bool sound = false;

  const int count = std::clamp<int>(drives_.DriveCount, 0, kMaxDrives);
  // Every drive is asked before any answer is awaited: drives that keep the cycle waiting
  // then wait side by side, and the whole cycle waits no longer than one of them would.
  std::array<std::string, kMaxDrives> names;
  // Position of the first slot that names the same drive: a drive listed twice is asked once.
  std::array<std::size_t, kMaxDrives> firstOf{};
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(count); ++slot) {
    names[slot] = DriveName(drives_.DriveNumbers[slot]);
    firstOf[slot] = static_cast<std::size_t>(
        std::find(names.begin(), names.begin() + slot, names[slot]) - names.begin());
    if (firstOf[slot] == slot) queries_.StartSpaceQuery(names[slot]);
  }
  const auto deadline = DriveQueries::Clock::now() + QueryPatience;

  std::array<DriveQueries::SpaceReading, kMaxDrives> readings;
  for (int p = 1; p <= count; ++p) {
    const std::size_t slot = static_cast<std::size_t>(p - 1);
    const std::string& drive = names[slot];
    readings[slot] =
        firstOf[slot] == slot ? queries_.TakeSpaceAnswer(drive, deadline) : readings[firstOf[slot]];
    const DriveQueries::SpaceReading& reading = readings[slot];
    DriveReading& seen = readings_[slot];
    seen = {};
    bool update = false;
    int iconIndex = kIconUnreadable;
    std::string tip;

    DriveSpace space = reading.space;
    if (reading.answered) {
      waitingCycles_[slot] = 0;
    } else {
      // A slow drive is not a failed one: while its answer is on its way it keeps its icon and
      // tooltip, raises no alarm and takes its answer in a later cycle. Only one that has kept
      // the cycles waiting for long counts as unreadable.
      ++waitingCycles_[slot];
      const bool givenUp = waitingCycles_[slot] >= UnreadableAfterCycles &&
                           DriveQueries::Clock::now() - reading.askedAt >= UnreadableAfter;
      if (!givenUp) {
        if (AlarmSoundEnabled != 0 && sound) {
          updates.push_back({static_cast<std::uint32_t>(p), false, 0, {}, true});
        }
        continue;
      }
      space = {};
    }

    // A drive that reports no size at all can't be pictured; it counts as unreadable.
    if (space.ok && space.totalBytes > 0) {
      const bool below =
          space.freeBytes < limits.LimitBytes(drives_.DriveNumbers[slot], space.totalBytes);
      seen.state = DriveReading::State::Readable;
      seen.freeBytes = space.freeBytes;
      seen.totalBytes = space.totalBytes;
      seen.label = queries_.LastVolumeLabel(drive).label;
      // Below the limit the icon is sent in any case, so its picture and tooltip are computed
      // too; that only differs from "changed" in the first cycle, for a full drive whose
      // remembered count is still the initial 0.
      std::optional<DriveQueries::LabelReading> label;
      if (space.freeBytes != drives_.PrevFreeBytes[slot] || below) {
        label = queries_.ReadVolumeLabel(drive, deadline);
      } else if (labelPending_[slot]) {
        // The tooltip went out without the label, which wasn't read in time; it is sent again
        // once the label is there.
        const DriveQueries::LabelReading last = queries_.LastVolumeLabel(drive);
        if (last.current) label = last;
      }
      if (label) {
        update = true;
        labelPending_[slot] = !label->current;
        drives_.PrevFreeBytes[slot] = space.freeBytes;
        iconIndex = FillLevel(space.freeBytes, space.totalBytes);
        tip = DriveTipText(drive, label->label, space.freeBytes, space.totalBytes,
                           system_.DecimalSeparator());
      }
      if (below) {
        if (BlinkPhase != 0) {
          sound = true;
          iconIndex = kIconAlarm;
        }
        if (label) seen.label = label->label;
        ClearVorigerFreierSpeicher();
      }
    } else {
      seen.state = DriveReading::State::Unreadable;
      seen.label = queries_.LastVolumeLabel(drive).label;
      update = true;
      if (BlinkPhase != 0) {
        sound = true;
        iconIndex = kIconAlarm;
      } else {
        iconIndex = kIconUnreadable;
      }
      tip = DriveTipText(drive);
      ClearVorigerFreierSpeicher();
    }

    const bool beep = AlarmSoundEnabled != 0 && sound;
    if (update || beep) {
      updates.push_back({static_cast<std::uint32_t>(p), update, iconIndex, std::move(tip), beep});
    }
  }
  return updates;
}

}  // namespace quenora
