#pragma once
// A drive's own alarm limit or early level, a number with a unit (MB, GB or percent of the
// drive's size), and the stored text of every drive's level: "D=10%;E=20GB;F=500MB".

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quenora {

struct DriveLevel {
  enum class Unit { Megabytes, Gigabytes, Percent };
  double number = 0;  // above 0; a percent at most 100
  Unit unit = Unit::Megabytes;

  friend bool operator==(const DriveLevel&, const DriveLevel&) = default;
};

// The level in bytes on a drive of `totalBytes`: never more than the drive holds.
double LevelBytes(const DriveLevel& level, double totalBytes);

// A level per drive letter, A to Z; none where the drive has no level of its own.
using DriveLevels = std::array<std::optional<DriveLevel>, 26>;

// Reads a stored text: letters and units in either case, blanks around the parts, a decimal
// point or comma. An entry that can't be read (junk, a number not above 0, a letter already
// given) is left out and the others kept; a percent above 100 counts as 100.
DriveLevels ParseDriveLevels(std::string_view text);
// The same, for a text that must be right as it stands (a policy): none at all when any entry
// can't be read or a percent lies above 100.
std::optional<DriveLevels> ParseDriveLevelsExactly(std::string_view text);
// The text that stores `levels`: in letter order, upper case, no blanks, a decimal point.
std::string DriveLevelsText(const DriveLevels& levels);

}  // namespace quenora
