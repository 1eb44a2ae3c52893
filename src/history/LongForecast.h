#pragma once
// The long forecast of a drive: the trend of its free space over the last two weeks of its
// hourly history, the time until it falls below its alarm limit, and what is said about it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "history/HistorySlot.h"

namespace quenora {

struct LongForecast {
  double bytesPerDay = 0;             // how much less is free each day, > 0 while filling
  std::chrono::seconds untilLimit{};  // from now until the free space falls below the limit
};

// The forecast from a drive's hourly slots at `nowUtc` for its alarm limit of `limitBytes`:
// nothing unless the last two weeks show a clear fill that crosses the limit between a day and
// a year from now.
std::optional<LongForecast> ForecastLong(HistorySlots hourly, std::int64_t nowUtc,
                                         std::uint64_t limitBytes);

// How the free space changed over the last week (negative: less is free); nothing without a
// reading of the same drive size about a week before the newest.
std::optional<double> WeekChange(HistorySlots hourly, std::int64_t nowUtc);

// The time left as a person says it after "voraussichtlich": "in etwa 5 Tagen", "in etwa 3
// Wochen", "in etwa 2 Monaten".
std::string LongTimeLeftText(std::chrono::seconds left);
// The same for the drive list: "voll in etwa 5 Tagen".
std::string LongTimeLeftShortText(std::chrono::seconds left);

// The notification's title, "Laufwerk D: ist voraussichtlich in etwa 5 Tagen voll", and its
// message, "Noch 41,2 GB frei, es werden etwa 6,3 GB weniger pro Tag (Alarmgrenze: 10 % =
// 51,2 GB).", which follows the drive's label as every notice puts it (LabelledNoticeText).
// `limitText` names the limit as DriveLimits::LimitText says it.
struct LongForecastNoticeText {
  std::string title;
  std::string message;
};
LongForecastNoticeText LongForecastNotice(std::string_view drive, const LongForecast& forecast,
                                          double freeBytes, std::string_view limitText,
                                          std::string_view decimalSeparator);

// Whether one drive's long forecast calls for a notification: once when it first comes under
// a week; again only after it has been over two weeks, or gone for a day, or the drive's
// levels changed.
class LongForecastWatch {
 public:
  static constexpr std::chrono::hours kNoticeUnder{7 * 24};
  static constexpr std::chrono::hours kRearmOver{14 * 24};
  static constexpr std::chrono::hours kRearmGoneFor{24};

  // The forecast at `nowUtc` (nothing: none given) and the drive's alarm limit and early level
  // in bytes (0 without one); true when it notifies.
  bool Observe(std::int64_t nowUtc, std::optional<std::chrono::seconds> untilLimit,
               double limitBytes, double earlyBytes);

 private:
  bool due_ = true;
  std::optional<std::int64_t> goneSince_;
  double limitBytes_ = -1;
  double earlyBytes_ = -1;
};

}  // namespace quenora
