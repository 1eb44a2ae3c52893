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
                            std::string_view decimalSeparator,
                            std::optional<std::chrono::seconds> longLeft) {
  switch (reading.state) {
    case DriveReading::State::Waiting:
      return {};
    case DriveReading::State::Unreadable:
      return "nicht lesbar";
    case DriveReading::State::Readable:
      break;
  }
  // The forecast goes first: where the column is too narrow for all, it is what matters most.
  std::string text = left       ? TimeLeftShortText(*left) + ", "
                     : longLeft ? LongTimeLeftShortText(*longLeft) + ", "
                                : std::string();
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

std::vector<std::string> DriveStateTexts(const OptionsValues& options, const CheckCycle& cycle,
                                         const DriveForecasts& forecasts,
                                         std::string_view decimalSeparator,
                                         DriveHistories* histories, std::int64_t utc) {
  std::vector<std::string> states;
  const DriveLimits limits = cycle.Limits();
  for (const DriveEntry& entry : options.drives) {
    const char letter = entry.text.empty() ? '\0' : entry.text[0];
    const std::int32_t number = letter % 64;
    // A drive not watched waits for nothing and has no state.
    const DriveReading reading = cycle.ReadingOf(letter);
    std::optional<std::chrono::seconds> longLeft;
    if (histories && letter) {
      if (const std::optional<LongForecast> forecast = histories->LongForecastOf(letter, utc)) {
        longLeft = forecast->untilLimit;
      }
    }
    std::string state = DriveStatusText(
        reading, forecasts.TimeUntilBelow(number, limits.LimitBytes(number, reading.totalBytes)),
        decimalSeparator, longLeft);
    if (number >= 1 && number <= 26) {
      const std::size_t slot = static_cast<std::size_t>(number - 1);
      state = WithOwnLevels(state, options.driveLimits[slot], options.driveWarnings[slot],
                            decimalSeparator);
    }
    states.push_back(std::move(state));
  }
  return states;
}

}  // namespace quenora
