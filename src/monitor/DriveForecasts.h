#pragma once
// The forecasts of the monitored drives: each drive's history fed from every check cycle, and
// a notification ahead of time when a drive will fall below the limit within half an hour.

#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "monitor/AlarmNotices.h"
#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "monitor/FillForecast.h"
#include "platform/SystemServices.h"

namespace quenora {

// "Laufwerk D: ist voraussichtlich in etwa 20 Minuten voll" /
// "»DATEN«: Noch 1,2 GB frei, es werden etwa 100,0 MB weniger pro Minute (Alarmgrenze: 1000 MB)."
// `limitText` names the drive's limit as DriveLimits::LimitText says it.
Notice ApproachNotice(std::uint32_t iconId, std::string_view drive, std::string_view label,
                      std::chrono::seconds left, double freeBytes, double bytesPerSecond,
                      std::string_view limitText, std::string_view decimalSeparator);

class DriveForecasts {
 public:
  using Clock = FillForecast::Clock;

  // How close a drive must be to the limit for a notification ahead of time, and how long its
  // forecast must have been gone before the next approach notifies again.
  static constexpr std::chrono::minutes kNoticeAhead{30};
  static constexpr std::chrono::minutes kQuietAfterForecastGone{10};

  // Feeds the cycle that ran at `now` into each monitored drive's history and returns the
  // notifications ahead of time it calls for; `interval` is the check interval.
  std::vector<Notice> Observe(Clock::time_point now, std::chrono::seconds interval,
                              const DriveTable& drives,
                              const std::array<DriveReading, kMaxDrives>& readings,
                              const DriveLimits& limits, SystemServices& system);
  // The time until drive `driveNumber` (1 = A) falls below `limitBytes` at its present rate.
  std::optional<std::chrono::seconds> TimeUntilBelow(std::int32_t driveNumber,
                                                     double limitBytes) const;
  const FillForecast& Of(std::int32_t driveNumber) const;

 private:
  struct Approach {
    bool noticeDue = true;
    double freeAtNotice = 0;
    std::optional<Clock::time_point> forecastGoneSince;
  };
  // By drive letter, A to Z.
  std::array<FillForecast, 26> forecasts_{};
  std::array<Approach, 26> approaches_{};
};

}  // namespace quenora
