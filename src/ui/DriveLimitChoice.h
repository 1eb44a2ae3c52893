#pragma once
// The choices of the dialog "Alarmgrenze für Laufwerk D:": a drive's own alarm limit and its
// early level, read from what the user typed, with the texts the dialog shows beside them.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "util/DriveLevels.h"

namespace quenora {

// What the user chose for one drive.
struct DriveLimitChoice {
  std::optional<DriveLevel> limit;  // none: the drive follows the Alarm page's limit
  std::optional<DriveLevel> early;  // none: no early level
  friend bool operator==(const DriveLimitChoice&, const DriveLimitChoice&) = default;
};

// What the dialog is opened with.
struct DriveLimitQuestion {
  char letter = 'C';                 // the drive, upper case
  std::optional<double> totalBytes;  // the drive's size, when it has been read
  int pageLimit = 10;                // the Alarm page's limit in MB, as its slider stands now
  DriveLimitChoice current;
  std::string decimalSeparator = ",";  // the user's
};

// The units of the drop-down lists, in the order of DriveLevel::Unit.
inline constexpr std::array<std::string_view, 3> kLevelUnitNames = {"MB", "GB", "%"};

// One number field read as a level of `unit`: the level, or what is wrong with the text.
struct LevelReading {
  std::optional<DriveLevel> level;
  std::string problem;
};
LevelReading ReadLevelNumber(std::string_view text, DriveLevel::Unit unit,
                             std::string_view decimalSeparator);

// The number of a level as the field shows it: "10", "500,5".
std::string LevelNumberText(double number, std::string_view decimalSeparator);

// What a level means on the drive: "= 51,2 GB von 512,0 GB Größe".
std::string LevelPreview(const DriveLevel& level, std::optional<double> totalBytes,
                         std::string_view decimalSeparator);

// The form as the user left it.
struct DriveLimitForm {
  bool ownLimit = false;  // "Eigene Grenze" rather than "Wie alle Laufwerke"
  std::string limitText;
  DriveLevel::Unit limitUnit = DriveLevel::Unit::Megabytes;
  bool early = false;  // "Vorwarnung bei" ticked
  std::string earlyText;
  DriveLevel::Unit earlyUnit = DriveLevel::Unit::Megabytes;
  friend bool operator==(const DriveLimitForm&, const DriveLimitForm&) = default;
};

// What the dialog shows for a form: the choice OK would store, or none and the message why not.
struct DriveLimitFormState {
  std::optional<DriveLimitChoice> choice;
  std::string message;       // empty when the form can be taken
  std::string limitPreview;  // empty for a field not in use or not readable
  std::string earlyPreview;
};
DriveLimitFormState ReadDriveLimitForm(const DriveLimitQuestion& question,
                                       const DriveLimitForm& form);

// The form the dialog opens with: the current choice, suggestions in the fields not in use.
DriveLimitForm InitialDriveLimitForm(const DriveLimitQuestion& question);

// "Alarmgrenze für Laufwerk D:"
std::string DriveLimitTitle(char letter);
// "&Wie alle Laufwerke (Seite Alarm: 1000 MB)"
std::string PageLimitChoiceText(int pageLimit, std::string_view decimalSeparator);

}  // namespace quenora
