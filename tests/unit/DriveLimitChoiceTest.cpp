#include "ui/DriveLimitChoice.h"

#include <gtest/gtest.h>

#include <string>

namespace quenora {
namespace {

using Unit = DriveLevel::Unit;
constexpr double kGB = 1073741824;

const std::string kNbsp = "\xC2\xA0";
const std::string kForExample = "z." + kNbsp + "B." + kNbsp;
const std::string kAtMost =
    "H\xC3\xB6"
    "chstens ";
const std::string kAboveZero =
    "Bitte eine Zahl \xC3\xBC"
    "ber 0 eingeben, " +
    kForExample + "10,5.";
const std::string kOnlyDigits =
    "Bitte nur Ziffern und h\xC3\xB6"
    "chstens ein";
const std::string kCharacters = kOnlyDigits + " Komma eingeben, " + kForExample + "10,5.";

TEST(DriveLimitChoiceTest, NumberFieldTakesDigitsAndTheUsersSeparatorOnly) {
  struct Case {
    const char* text;
    Unit unit;
    const char* separator;
    double number;  // 0: refused with `problem`
    std::string problem;
  };
  const Case cases[] = {
      {" 500,5 ", Unit::Megabytes, ",", 500.5, ""},
      {"7,", Unit::Gigabytes, ",", 7, ""},  // while the user is still typing
      {"1.5", Unit::Gigabytes, ".", 1.5, ""},
      {"1000000", Unit::Gigabytes, ",", 1000000, ""},
      // A German "." groups thousands: "1.000" is neither 1 nor a silent 1000.
      {"1.000", Unit::Megabytes, ",", 0, kCharacters},
      {"1,5", Unit::Gigabytes, ".", 0, kOnlyDigits + "en Punkt eingeben, " + kForExample + "10.5."},
      {"abc", Unit::Megabytes, ",", 0, kCharacters},
      {"", Unit::Megabytes, ",", 0, kAboveZero},
      {"0,00", Unit::Percent, ",", 0, kAboveZero},
      {"1,125", Unit::Gigabytes, ",", 0,
       kAtMost + "zwei Stellen nach dem Dezimalzeichen, " + kForExample + "10,25."},
      {"100,01", Unit::Percent, ",", 0, kAtMost + "100 %."},
      {"1000001", Unit::Gigabytes, ",", 0, kAtMost + "1" + kNbsp + "000" + kNbsp + "000 GB."},
      {"1024000001", Unit::Megabytes, ",", 0,
       kAtMost + "1" + kNbsp + "024" + kNbsp + "000" + kNbsp + "000 MB."},
  };
  for (const Case& c : cases) {
    const LevelReading reading = ReadLevelNumber(c.text, c.unit, c.separator);
    const std::optional<DriveLevel> level =
        c.number > 0 ? std::optional(DriveLevel{c.number, c.unit}) : std::nullopt;
    EXPECT_EQ(reading.level, level) << c.text;
    EXPECT_EQ(reading.problem, c.problem) << c.text;
  }
}

TEST(DriveLimitChoiceTest, PreviewSaysTheBytesOnTheDriveAsTheTooltipDoes) {
  struct Case {
    DriveLevel level;
    std::optional<double> totalBytes;
    const char* separator;
    std::string preview;
  };
  const Case cases[] = {
      {{10, Unit::Percent}, 512 * kGB, ",", "= 51,2 GB von 512,0 GB Größe"},
      {{20, Unit::Gigabytes}, 512 * kGB, ".", "= 20.0 GB von 512.0 GB Größe"},
      {{500, Unit::Megabytes}, 512 * kGB, ",", "= 500,0 MB von 512,0 GB Größe"},
      {{2, Unit::Gigabytes}, 1 * kGB, ",", "= 1,0 GB von 1,0 GB Größe"},  // as much as the drive
      {{10, Unit::Percent},
       std::nullopt,
       ",",
       "(Gr\xC3\xB6\xC3\x9F"
       "e noch nicht gelesen)"},
      {{1.5, Unit::Gigabytes}, std::nullopt, ",", "= 1,5 GB"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LevelPreview(c.level, c.totalBytes, c.separator), c.preview);
  }
}

TEST(DriveLimitChoiceTest, FormGivesTheChoiceOrSaysWhatStandsInTheWay) {
  struct Case {
    DriveLimitForm form;
    std::optional<double> totalBytes;
    std::optional<DriveLimitChoice> choice;
    std::string message;
  };
  const DriveLevel tenPercent{10, Unit::Percent};
  const DriveLevel twoGB{2, Unit::Gigabytes};
  const std::string below =
      "Die Vorwarnung muss \xC3\xBC"
      "ber der Alarmgrenze liegen (jetzt ";
  const Case cases[] = {
      // Fields not in use are not read, whatever they hold.
      {{false, "abc", Unit::Megabytes, false, "x", Unit::Megabytes},
       512 * kGB,
       DriveLimitChoice{},
       ""},
      {{true, "10", Unit::Percent, true, "2", Unit::Gigabytes},
       std::nullopt,
       DriveLimitChoice{tenPercent, twoGB},
       ""},  // no size: can't compare, the user decides
      {{true, "0", Unit::Percent, true, "abc", Unit::Megabytes},
       512 * kGB,
       std::nullopt,
       "Eigene Grenze: " + kAboveZero},
      {{false, "", Unit::Megabytes, true, "abc", Unit::Megabytes},
       512 * kGB,
       std::nullopt,
       "Vorwarnung: " + kCharacters},
      // At or below the alarm limit the early level would never come first.
      {{false, "", Unit::Megabytes, true, "1000", Unit::Megabytes},
       512 * kGB,
       std::nullopt,
       below + "1000 MB)."},
      {{true, "10", Unit::Percent, true, "50", Unit::Gigabytes},
       512 * kGB,
       std::nullopt,
       below + "10 % = 51,2 GB)."},
      {{true, "10", Unit::Percent, true, "52", Unit::Gigabytes},
       512 * kGB,
       DriveLimitChoice{tenPercent, DriveLevel{52, Unit::Gigabytes}},
       ""},
      {{true, "10", Unit::Percent, true, "9,5", Unit::Percent},
       std::nullopt,
       std::nullopt,
       below + "10 %)."},
      // Both beyond a small drive: the same bytes, so no warning before the alarm.
      {{true, "2", Unit::Gigabytes, true, "3", Unit::Gigabytes},
       1 * kGB,
       std::nullopt,
       below + "2 GB)."},
  };
  for (const Case& c : cases) {
    DriveLimitQuestion question;
    question.pageLimit = 1000;
    question.totalBytes = c.totalBytes;
    const DriveLimitFormState state = ReadDriveLimitForm(question, c.form);
    EXPECT_EQ(state.choice, c.choice) << c.form.limitText << " / " << c.form.earlyText;
    EXPECT_EQ(state.message, c.message);
  }
}

}  // namespace
}  // namespace quenora
