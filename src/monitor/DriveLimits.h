#pragma once
// How low each drive may go: its own alarm limit where it has one, else the Alarm page's, and
// its early level; with the texts that name them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "util/DriveLevels.h"

namespace quenora {

// The megabytes of the Alarm page's limit: a whole number as the slider sets it, one decimal
// for a value edited by hand ("1000", "10,5").
std::string AlarmLimitText(double megabytes, std::string_view decimalSeparator);

// A level as the user set it: "10 %", "20 GB", "500,5 MB".
std::string LevelText(const DriveLevel& level, std::string_view decimalSeparator);
// A level in percent with the bytes it means on the drive ("10 % = 51,2 GB"), another as
// LevelText says it.
std::string LevelWithBytesText(const DriveLevel& level, double totalBytes,
                               std::string_view decimalSeparator);

// A view of the levels: they stay with their owner (the check cycle). A bare number is the
// Alarm page's limit for every drive, with no drive's own level.
class DriveLimits {
 public:
  DriveLimits(double memoryLimit, const DriveLevels* own = nullptr,
              const DriveLevels* early = nullptr)
      : memoryLimit_(memoryLimit), own_(own), early_(early) {}

  // The alarm limit of drive `driveNumber` (1 = A) on a drive of `totalBytes`.
  double LimitBytes(std::int32_t driveNumber, double totalBytes) const;
  // Its early level, only where it lies above the alarm limit: below or at it, it would never
  // come before the alarm.
  std::optional<double> EarlyBytes(std::int32_t driveNumber, double totalBytes) const;
  // "1000 MB" (the Alarm page's), "20 GB", "10 % = 51,2 GB".
  std::string LimitText(std::int32_t driveNumber, double totalBytes,
                        std::string_view decimalSeparator) const;
  // The early level as LimitText says a limit; nothing without one.
  std::string EarlyText(std::int32_t driveNumber, double totalBytes,
                        std::string_view decimalSeparator) const;
  // The drive's own levels, if it has them.
  std::optional<DriveLevel> OwnLimit(std::int32_t driveNumber) const;
  std::optional<DriveLevel> OwnEarly(std::int32_t driveNumber) const;
  double MemoryLimit() const { return memoryLimit_; }

 private:
  double memoryLimit_;
  const DriveLevels* own_;
  const DriveLevels* early_;
};

}  // namespace quenora
