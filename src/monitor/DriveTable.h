#pragma once
// The monitored drives by list position, with the free bytes last computed for each.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quenora {

inline constexpr int kMaxDrives = 26;

struct DriveTable {
  // Drive number at each list position (slot 0 is position 1): 1 = A ... 26 = Z.
  std::array<std::int32_t, kMaxDrives> DriveNumbers{};
  // Free bytes as last computed: 0 at start, -1 after a clear (no real count equals it).
  std::array<double, kMaxDrives> PrevFreeBytes{};
  // Used positions, 0..26.
  std::int32_t DriveCount = 0;
};

// Whether the drive at list position `slot` + 1 was listed at an earlier position too: a drive
// listed twice is watched once, at its first position.
inline bool ListedEarlier(const DriveTable& drives, std::size_t slot) {
  const auto end = drives.DriveNumbers.begin() + static_cast<std::ptrdiff_t>(slot);
  return std::find(drives.DriveNumbers.begin(), end, drives.DriveNumbers[slot]) != end;
}

// "C:" for drive number 3: the letter is the number with bit 0x40 set.
inline std::string DriveName(std::int32_t driveNumber) {
  return {static_cast<char>(0x40 | (driveNumber & 0x3F)), ':'};
}

// The name of the drive at list position `position` ("C:"); nothing when no monitored drive
// stands there.
inline std::optional<std::string> DriveNameAtPosition(const DriveTable& drives,
                                                      std::int32_t position) {
  if (position < 1 || position > drives.DriveCount || position > kMaxDrives) return std::nullopt;
  return DriveName(drives.DriveNumbers[static_cast<std::size_t>(position - 1)]);
}

}  // namespace quenora
