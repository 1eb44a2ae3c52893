#include "ui/DriveListRefresh.h"

#include <algorithm>

#include "monitor/DriveLimits.h"
#include "monitor/FillForecast.h"
#include "util/ExactDecimal.h"
#include "util/Rounding.h"

namespace quenora {

namespace {

char UpperLetter(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::vector<DriveEntry> RefreshedDriveEntries(const std::vector<DriveEntry>& shown,
                                              const std::vector<std::string>& listed,
                                              const DriveTable& monitored) {
  std::vector<DriveEntry> entries;
  const int count = std::clamp<int>(monitored.DriveCount, 0, kMaxDrives);
  for (std::string text : listed) {
    if (text.empty()) continue;
    text[0] = UpperLetter(text[0]);
    const char letter = text[0];
    const auto before = std::find_if(shown.begin(), shown.end(), [&](const DriveEntry& entry) {
      return !entry.text.empty() && entry.text[0] == letter;
    });
    bool checked = false;
    if (before != shown.end()) {
      checked = before->checked;
    } else {
      const auto end = monitored.DriveNumbers.begin() + count;
      checked = std::find(monitored.DriveNumbers.begin(), end, letter % 64) != end;
    }
    entries.push_back({std::move(text), checked});
  }
  return entries;
}

std::string DriveStatusText(const DriveReading& reading, std::optional<std::chrono::seconds> left,
                            std::string_view decimalSeparator) {
  switch (reading.state) {
    case DriveReading::State::Waiting:
      return {};
    case DriveReading::State::Unreadable:
      return "nicht lesbar";
    case DriveReading::State::Readable:
      break;
  }
  // The forecast goes first: where the column is too narrow for all, it is what matters most.
  std::string text = left ? TimeLeftShortText(*left) + ", " : std::string();
  text += SizeText(reading.freeBytes, decimalSeparator);
  if (reading.totalBytes > 0) {
    text += " = " +
            FixedText(RoundHalfAwayFromZero(reading.freeBytes / reading.totalBytes * 100), 0) + "%";
  }
  return text;
}

std::string WithOwnLevels(std::string_view state, const std::optional<DriveLevel>& limit,
                          const std::optional<DriveLevel>& early,
                          std::string_view decimalSeparator) {
  std::string levels;
  if (limit) levels = "Grenze " + LevelText(*limit, decimalSeparator);
  if (early) {
    levels += levels.empty() ? "" : ", ";
    levels += "Vorwarnung " + LevelText(*early, decimalSeparator);
  }
  if (levels.empty() || state.empty()) return std::string(state) + levels;
  return std::string(state) + ", " + levels;
}

}  // namespace quenora
