#pragma once
// How long until a drive is full: a short history of its free space and the forecast from it.

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "platform/SteadyClock.h"

namespace quenora {

// One drive's free space over the last two hours, in memory, and its steady rate of filling.
class FillForecast {
 public:
  using Clock = SteadyClock;

  // At most this many samples are kept, one for each minute, over the last two hours.
  static constexpr int kCapacity = 120;

  // One check cycle's reading of the drive at `now` (a monotonic clock). `interval` is the check
  // interval: a silence of more than a few of them (sleep and resume) starts the history afresh,
  // as do another total size, free space that jumps, and readings that leave the steady course.
  void Observe(Clock::time_point now, double freeBytes, double totalBytes,
               std::chrono::seconds interval);

  // Forgets the history (an unreadable drive, another drive in this place).
  void Clear();

  // Bytes per second by which the free space shrinks while the drive fills steadily.
  std::optional<double> ShrinkRate() const;

  // Time from the last reading until the free space falls below `limitBytes` at that rate;
  // nothing while the drive does not fill steadily, is already below the limit, or would take
  // longer than a day.
  std::optional<std::chrono::seconds> TimeUntilBelow(double limitBytes) const;

  // The stored samples and the time from the oldest to the newest of them.
  int SampleCount() const { return count_; }
  std::chrono::seconds HistorySpan() const;

 private:
  struct Sample {
    double time = 0;  // seconds on the monotonic clock
    double free = 0;  // bytes
  };
  struct Minute {  // the readings that the next sample stands for
    double start = 0;
    double sumTime = 0;  // seconds after start
    double sumFree = 0;
    int readings = 0;
  };
  struct Fit {
    double slope = 0;     // bytes per second, negative while filling
    double level = 0;     // free bytes on the line at `time`
    double time = 0;      // the newest sample's
    double noise = 0;     // spread of the samples around the line, bytes
    bool judged = false;  // enough samples to hold readings against the line
    bool steady = false;  // filling steadily: a forecast is given
  };

  bool StartsAfresh(double time, double freeBytes, double totalBytes, double interval);
  void Store(Sample sample);
  void Refit();
  const Sample& At(int age) const;  // 0 = newest

  std::array<Sample, kCapacity> samples_{};  // a ring
  int newest_ = 0;
  int count_ = 0;
  Minute minute_{};
  Sample last_{};  // the last reading
  double total_ = 0;
  Fit fit_{};
  int offSide_ = 0;  // readings above (1) or below (-1) the line since offSince_
  double offSince_ = 0;
  int offReadings_ = 0;
};

// How a person says the time left, to follow "voraussichtlich": "in etwa 20 Minuten",
// "in etwa einer Stunde", "in etwa 2 Stunden".
std::string TimeLeftText(std::chrono::seconds left);

// The same for a list column: "voll in etwa 20 Min.", "voll in etwa 3 Std.".
std::string TimeLeftShortText(std::chrono::seconds left);

}  // namespace quenora
