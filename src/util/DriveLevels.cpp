#include "util/DriveLevels.h"

#include <algorithm>
#include <cmath>

#include "util/Numbers.h"

namespace quenora {

namespace {

constexpr double kBytesPerMegabyte = 1048576.0;
constexpr double kBytesPerGigabyte = 1073741824.0;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// "10%", "20 gb", " 500,5MB ": the level, or none.
std::optional<DriveLevel> ParseLevel(std::string_view text) {
  text = Trimmed(text);
  DriveLevel level;
  std::size_t unitLength = 0;
  if (text.ends_with('%')) {
    level.unit = DriveLevel::Unit::Percent;
    unitLength = 1;
  } else if (text.size() >= 2 && Upper(text[text.size() - 1]) == 'B' &&
             (Upper(text[text.size() - 2]) == 'M' || Upper(text[text.size() - 2]) == 'G')) {
    level.unit = Upper(text[text.size() - 2]) == 'M' ? DriveLevel::Unit::Megabytes
                                                     : DriveLevel::Unit::Gigabytes;
    unitLength = 2;
  } else {
    return std::nullopt;
  }
  const std::optional<double> number = ParseNumber(text.substr(0, text.size() - unitLength));
  if (!number || !std::isfinite(*number) || !(*number > 0)) return std::nullopt;
  level.number = *number;  // a percent above 100 is the caller's to judge
  return level;
}

}  // namespace

double LevelBytes(const DriveLevel& level, double totalBytes) {
  double bytes = 0;
  switch (level.unit) {
    case DriveLevel::Unit::Megabytes:
      bytes = level.number * kBytesPerMegabyte;
      break;
    case DriveLevel::Unit::Gigabytes:
      bytes = level.number * kBytesPerGigabyte;
      break;
    case DriveLevel::Unit::Percent:
      // Multiplied first: a whole percent of a drive's whole bytes is then rounded only once.
      bytes = level.number * totalBytes / 100;
      break;
  }
  return std::min(bytes, totalBytes);
}

namespace {

// Reads every entry; with `exactly`, any entry that can't be read as it stands (junk, a letter
// given twice, a percent above 100) makes the whole text unreadable.
std::optional<DriveLevels> ReadDriveLevels(std::string_view text, bool exactly) {
  DriveLevels levels;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(';'), text.size());
    const std::string_view entry = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (Trimmed(entry).empty()) continue;
    const std::size_t equals = entry.find('=');
    const std::string_view letter = Trimmed(entry.substr(0, std::min(equals, entry.size())));
    const bool isLetter = equals != std::string_view::npos && letter.size() == 1 &&
                          Upper(letter[0]) >= 'A' && Upper(letter[0]) <= 'Z';
    std::optional<DriveLevel>* slot =
        isLetter ? &levels[static_cast<std::size_t>(Upper(letter[0]) - 'A')] : nullptr;
    // The first entry of a letter counts.
    std::optional<DriveLevel> level =
        slot && !*slot ? ParseLevel(entry.substr(equals + 1)) : std::nullopt;
    const bool beyondWhole = level && level->unit == DriveLevel::Unit::Percent && level->number > 100;
    if (!level || (exactly && beyondWhole)) {
      if (exactly) return std::nullopt;
      continue;
    }
    if (beyondWhole) level->number = 100;
    *slot = level;
  }
  return levels;
}

}  // namespace

DriveLevels ParseDriveLevels(std::string_view text) {
  return *ReadDriveLevels(text, false);
}

std::optional<DriveLevels> ParseDriveLevelsExactly(std::string_view text) {
  return ReadDriveLevels(text, true);
}

std::string DriveLevelsText(const DriveLevels& levels) {
  std::string text;
  for (std::size_t n = 0; n < levels.size(); ++n) {
    if (!levels[n]) continue;
    if (!text.empty()) text += ';';
    text += static_cast<char>('A' + n);
    text += '=';
    text += NumberText(levels[n]->number);
    switch (levels[n]->unit) {
      case DriveLevel::Unit::Megabytes:
        text += "MB";
        break;
      case DriveLevel::Unit::Gigabytes:
        text += "GB";
        break;
      case DriveLevel::Unit::Percent:
        text += '%';
        break;
    }
  }
  return text;
}

}  // namespace quenora
