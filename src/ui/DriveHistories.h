#pragma once
// The monitored drives' recorded histories: each check's readings go to the history file of the
// drive's volume, and the long forecast is worked out from it, at most once an hour.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/DriveHistory.h"
#include "history/LongForecast.h"
#include "monitor/AlarmNotices.h"
#include "monitor/CheckCycle.h"
#include "platform/DiskSpace.h"
#include "platform/HistoryFiles.h"
#include "ui/HistorySource.h"

namespace quenora {

// Now, in seconds since 1970 UTC: the histories place their slots by the world's time.
std::int64_t UtcNow();

class DriveHistories final : public HistorySource {
 public:
  DriveHistories(HistoryFiles& files, DiskSpaceApi& disks, const CheckCycle& cycle,
                 std::string decimalSeparator)
      : files_(files), disks_(disks), cycle_(cycle), separator_(std::move(decimalSeparator)) {}

  // After a check at `utc` (seconds since 1970, UTC): every readable monitored drive's reading
  // goes to its volume's history.
  void Record(std::int64_t utc);
  // Drives came or went: which volume is at which letter is asked anew.
  void VolumesChanged();
  // Writes out what is not yet in the files and lets them go (at the end of the session).
  void Close();

  // The long forecast of the drive at `letter`, worked out again when an hour has passed or its
  // limit changed.
  std::optional<LongForecast> LongForecastOf(char letter, std::int64_t utc);
  // The notices of the drives whose long forecast has just come under a week.
  std::vector<Notice> LongForecastNotices(std::int64_t utc);

  HistoryData HistoryOf(char letter) override;

 private:
  struct Place {
    char letter = 0;
    std::string path;                  // of the volume's history file; empty: unknown
    DriveHistory* recorder = nullptr;  // of `path`, once asked for
    double totalBytes = 0;
    std::int64_t forecastAt = 0;  // when the forecast was last worked out
    double forecastLimit = 0;
    std::optional<LongForecast> forecast;
  };
  struct Watch {  // by volume, so that a drive's notice follows it to another letter
    std::string path;
    LongForecastWatch watch;
  };
  Place& PlaceOf(char letter, double totalBytes);
  DriveHistory* RecorderOf(const std::string& path, std::int64_t utc);
  HistoryRings RingsOf(const std::string& path);

  HistoryFiles& files_;
  DiskSpaceApi& disks_;
  const CheckCycle& cycle_;
  std::string separator_;
  std::vector<Place> places_;
  std::vector<Watch> watches_;
  std::vector<std::pair<std::string, std::unique_ptr<DriveHistory>>> recorders_;
};

}  // namespace quenora
