#include "ui/DriveLimitChoice.h"

#include <algorithm>
#include <limits>

#include "monitor/DriveLimits.h"
#include "util/ExactDecimal.h"
#include "util/SizeText.h"

namespace quenora {

namespace {

// Two decimals say any share of a gigabyte or a percent anyone would set; more is a typing slip.
constexpr int kMaxDecimals = 2;
// A million gigabytes is far beyond any drive: larger numbers are junk, and their bytes would
// lose the precision the comparisons need.
constexpr double kMaxGigabytes = 1000000;
constexpr double kMaxMegabytes = kMaxGigabytes * 1024;
constexpr double kUnknownSize = std::numeric_limits<double>::infinity();

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string Example(std::string_view separator, std::string_view decimals = "5") {
  // Held together: a wrapped message must not leave "z. B." at a line's end.
  return "z.\xC2\xA0"
         "B.\xC2\xA0"
         "10" +
         std::string(separator) + std::string(decimals) + ".";
}

std::string AboveZeroProblem(std::string_view separator) {
  return "Bitte eine Zahl \xC3\xBC"
         "ber 0 eingeben, " +
         Example(separator);
}

std::string CharactersProblem(std::string_view separator) {
  // Named as the user knows the key; a "." of a German user is the thousands separator, and
  // reading "1.000" as 1 or as 1000 would both be a guess.
  std::string one = separator == ","   ? "ein Komma"
                    : separator == "." ? "einen Punkt"
                                       : "ein Dezimalzeichen \xE2\x80\x9E" +
                                             std::string(separator) + "\xE2\x80\x9C";
  return "Bitte nur Ziffern und h\xC3\xB6"
         "chstens " +
         one + " eingeben, " + Example(separator);
}

std::string DecimalsProblem(std::string_view separator) {
  return "H\xC3\xB6"
         "chstens zwei Stellen nach dem Dezimalzeichen, " +
         Example(separator, "25");
}

std::string MaximumProblem(DriveLevel::Unit unit) {
  switch (unit) {
    case DriveLevel::Unit::Megabytes:
      return "H\xC3\xB6"
             "chstens 1\xC2\xA0"
             "024\xC2\xA0"
             "000\xC2\xA0"
             "000 MB.";
    case DriveLevel::Unit::Gigabytes:
      return "H\xC3\xB6"
             "chstens 1\xC2\xA0"
             "000\xC2\xA0"
             "000 GB.";
    case DriveLevel::Unit::Percent:
      break;
  }
  return "H\xC3\xB6"
         "chstens 100 %.";
}

double MaximumOf(DriveLevel::Unit unit) {
  switch (unit) {
    case DriveLevel::Unit::Megabytes:
      return kMaxMegabytes;
    case DriveLevel::Unit::Gigabytes:
      return kMaxGigabytes;
    case DriveLevel::Unit::Percent:
      break;
  }
  return 100;
}

// Whether the early level comes before the alarm as the drive empties. Levels of different
// kinds on a drive whose size isn't known can't be compared: the user's word is taken.
bool EarlyAboveLimit(const DriveLevel& early, const DriveLevel& limit,
                     std::optional<double> totalBytes) {
  const bool earlyPercent = early.unit == DriveLevel::Unit::Percent;
  const bool limitPercent = limit.unit == DriveLevel::Unit::Percent;
  if (earlyPercent && limitPercent) return early.number > limit.number;
  if (!totalBytes && earlyPercent != limitPercent) return true;
  const double size = totalBytes.value_or(kUnknownSize);
  return LevelBytes(early, size) > LevelBytes(limit, size);
}

}  // namespace

LevelReading ReadLevelNumber(std::string_view text, DriveLevel::Unit unit,
                             std::string_view decimalSeparator) {
  text = Trimmed(text);
  if (text.starts_with('-')) return {std::nullopt, AboveZeroProblem(decimalSeparator)};
  std::string plain = "0";  // so that ",5" reads as 0.5
  int decimals = -1;        // none while no separator has come
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] >= '0' && text[at] <= '9') {
      plain += text[at++];
      if (decimals >= 0) ++decimals;
    } else if (decimals < 0 && !decimalSeparator.empty() &&
               text.substr(at).starts_with(decimalSeparator)) {
      plain += '.';
      decimals = 0;
      at += decimalSeparator.size();
    } else {
      return {std::nullopt, CharactersProblem(decimalSeparator)};
    }
  }
  if (decimals > kMaxDecimals) return {std::nullopt, DecimalsProblem(decimalSeparator)};
  if (plain.ends_with('.')) plain.pop_back();  // "5," while the user is still typing
  const double number = NearestDouble(plain);
  if (!(number > 0)) return {std::nullopt, AboveZeroProblem(decimalSeparator)};
  if (number > MaximumOf(unit)) return {std::nullopt, MaximumProblem(unit)};
  return {DriveLevel{number, unit}, {}};
}

std::string LevelNumberText(double number, std::string_view decimalSeparator) {
  // LevelText's number, without the unit it puts after a blank.
  std::string text = LevelText(DriveLevel{number, DriveLevel::Unit::Megabytes}, decimalSeparator);
  return text.substr(0, text.rfind(' '));
}

std::string LevelPreview(const DriveLevel& level, std::optional<double> totalBytes,
                         std::string_view decimalSeparator) {
  if (totalBytes && *totalBytes > 0) {
    // Both as the tray's tooltip says free space, so the user can hold one against the other.
    return "= " + SizeText(LevelBytes(level, *totalBytes), decimalSeparator) + " von " +
           SizeText(*totalBytes, decimalSeparator) + " Gr\xC3\xB6\xC3\x9F" "e";
  }
  if (level.unit == DriveLevel::Unit::Percent) {
    return "(Gr\xC3\xB6\xC3\x9F"
           "e noch nicht gelesen)";
  }
  return "= " + SizeText(LevelBytes(level, kUnknownSize), decimalSeparator);
}

DriveLimitFormState ReadDriveLimitForm(const DriveLimitQuestion& question,
                                       const DriveLimitForm& form) {
  const std::string_view separator = question.decimalSeparator;
  DriveLimitFormState state;
  DriveLimitChoice choice;
  std::string problem;
  if (form.ownLimit) {
    LevelReading limit = ReadLevelNumber(form.limitText, form.limitUnit, separator);
    if (limit.level) {
      choice.limit = limit.level;
      state.limitPreview = LevelPreview(*limit.level, question.totalBytes, separator);
    } else {
      problem = "Eigene Grenze: " + limit.problem;
    }
  }
  if (form.early) {
    LevelReading early = ReadLevelNumber(form.earlyText, form.earlyUnit, separator);
    if (early.level) {
      choice.early = early.level;
      state.earlyPreview = LevelPreview(*early.level, question.totalBytes, separator);
    } else if (problem.empty()) {
      problem = "Vorwarnung: " + early.problem;
    }
  }
  if (problem.empty() && choice.early) {
    // An early level at or below the alarm limit would never come before the alarm; the
    // check cycle would pass it over, so it isn't stored either.
    const DriveLevel pageLimit{static_cast<double>(question.pageLimit),
                               DriveLevel::Unit::Megabytes};
    if (!EarlyAboveLimit(*choice.early, choice.limit.value_or(pageLimit), question.totalBytes)) {
      const std::string limitText =
          choice.limit
              ? LevelWithBytesText(*choice.limit, question.totalBytes.value_or(0), separator)
              : AlarmLimitText(question.pageLimit, separator) + " MB";
      problem =
          "Die Vorwarnung muss \xC3\xBC"
          "ber der Alarmgrenze liegen (jetzt " +
          limitText + ").";
    }
  }
  state.message = problem;
  if (problem.empty()) state.choice = choice;
  return state;
}

DriveLimitForm InitialDriveLimitForm(const DriveLimitQuestion& question) {
  const std::string_view separator = question.decimalSeparator;
  const DriveLimitChoice& current = question.current;
  // Without an own limit, the field offers the page's, the number the drive follows now.
  const DriveLevel limit = current.limit.value_or(
      DriveLevel{static_cast<double>(question.pageLimit), DriveLevel::Unit::Megabytes});
  // Without an early level, twice the limit: a warning that comes well before the alarm.
  double suggestion = limit.number * 2;
  if (limit.unit == DriveLevel::Unit::Percent) suggestion = std::min(suggestion, 100.0);
  const DriveLevel early = current.early.value_or(DriveLevel{suggestion, limit.unit});

  DriveLimitForm form;
  form.ownLimit = current.limit.has_value();
  form.limitText = LevelNumberText(limit.number, separator);
  form.limitUnit = limit.unit;
  form.early = current.early.has_value();
  form.earlyText = LevelNumberText(early.number, separator);
  form.earlyUnit = early.unit;
  return form;
}

std::string DriveLimitTitle(char letter) {
  return "Alarmgrenze f\xC3\xBCr Laufwerk " + std::string(1, letter) + ":";
}

std::string PageLimitChoiceText(int pageLimit, std::string_view decimalSeparator) {
  return "&Wie alle Laufwerke (Seite Alarm: " + AlarmLimitText(pageLimit, decimalSeparator) +
         " MB)";
}

}  // namespace quenora
