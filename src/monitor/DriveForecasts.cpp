#include "monitor/DriveForecasts.h"

#include <algorithm>

#include "util/Utf.h"

namespace quenora {

namespace {

std::size_t LetterIndex(std::int32_t driveNumber) {
  return static_cast<std::size_t>(std::clamp(driveNumber, 1, 26) - 1);
}

}  // namespace

Notice ApproachNotice(std::uint32_t iconId, std::string_view drive, std::string_view label,
                      std::chrono::seconds left, double freeBytes, double bytesPerSecond,
                      std::string_view limitText, std::string_view decimalSeparator) {
  Notice notice;
  notice.kind = Notice::Kind::Approach;
  notice.iconId = iconId;
  notice.title =
      "Laufwerk " + std::string(drive) + " ist voraussichtlich " + TimeLeftText(left) + " voll";
  // The longest way of saying the time doesn't fit the shell's title.
  if (Utf8ToUtf16(notice.title).size() > kNoticeTitleLength) {
    notice.title = "Laufwerk " + std::string(drive) + " ist bald voll";
  }
  notice.text = LabelledNoticeText(
      label, "Noch " + SizeText(freeBytes, decimalSeparator) + " frei, es werden etwa " +
                 SizeText(bytesPerSecond * 60, decimalSeparator) +
                 " weniger pro Minute (Alarmgrenze: " + std::string(limitText) + ").");
  return notice;
}

std::vector<Notice> DriveForecasts::Observe(Clock::time_point now, std::chrono::seconds interval,
                                            const DriveTable& drives,
                                            const std::array<DriveReading, kMaxDrives>& readings,
                                            const DriveLimits& limits, SystemServices& system) {
  std::vector<Notice> notices;
  const int count = std::clamp<int>(drives.DriveCount, 0, kMaxDrives);
  for (int p = 1; p <= count; ++p) {
    const std::size_t slot = static_cast<std::size_t>(p - 1);
    const std::int32_t number = drives.DriveNumbers[slot];
    if (number < 1 || number > 26 || ListedEarlier(drives, slot)) continue;
    FillForecast& forecast = forecasts_[LetterIndex(number)];
    Approach& approach = approaches_[LetterIndex(number)];
    const DriveReading& reading = readings[slot];
    if (reading.state == DriveReading::State::Waiting) continue;
    if (reading.state == DriveReading::State::Unreadable) {
      forecast.Clear();
      continue;
    }
    forecast.Observe(now, reading.freeBytes, reading.totalBytes, interval);
    const double limitBytes = limits.LimitBytes(number, reading.totalBytes);

    const std::optional<std::chrono::seconds> left = forecast.TimeUntilBelow(limitBytes);
    if (!left) {
      if (!approach.forecastGoneSince) approach.forecastGoneSince = now;
      if (now - *approach.forecastGoneSince >= kQuietAfterForecastGone) approach.noticeDue = true;
    } else {
      approach.forecastGoneSince.reset();
    }
    // Space freed clearly beyond where it stood at the notice: the next approach is a new one.
    if (!approach.noticeDue &&
        reading.freeBytes >= approach.freeAtNotice + RearmMarginBytes(limitBytes)) {
      approach.noticeDue = true;
    }
    if (left && *left <= kNoticeAhead && approach.noticeDue) {
      notices.push_back(
          ApproachNotice(static_cast<std::uint32_t>(p), DriveName(number), reading.label, *left,
                         reading.freeBytes, forecast.ShrinkRate().value_or(0),
                         limits.LimitText(number, reading.totalBytes, system.DecimalSeparator()),
                         system.DecimalSeparator()));
      EventValues values = LimitEventValues(DriveName(number), reading, number, limits);
      values.untilLimit = left->count();
      notices.back().eventStrings = EventStrings(values);
      approach.noticeDue = false;
      approach.freeAtNotice = reading.freeBytes;
    }
  }
  return notices;
}

std::optional<std::chrono::seconds> DriveForecasts::TimeUntilBelow(std::int32_t driveNumber,
                                                                   double limitBytes) const {
  return forecasts_[LetterIndex(driveNumber)].TimeUntilBelow(limitBytes);
}

const FillForecast& DriveForecasts::Of(std::int32_t driveNumber) const {
  return forecasts_[LetterIndex(driveNumber)];
}

}  // namespace quenora
