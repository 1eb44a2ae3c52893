#include "monitor/FillForecast.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quenora {
namespace {

using std::chrono::seconds;

constexpr double kMB = 1024.0 * 1024.0;
constexpr double kGB = 1024 * kMB;
constexpr double kLimit = 1000 * kMB;
constexpr double kMinute = 60;
constexpr double kNone = -1;  // a window in which no forecast may be given

struct Reading {
  double free;
  double total;
  bool awake = true;   // false: the computer sleeps, no cycle runs
  double passing = 0;  // bytes of a temporary file, in the reading but not in the truth
};

struct Window {
  double fromMinute;
  double toMinute;
  double tolerance;  // kNone, or the allowed relative error of the time left
};

struct Series {
  const char* name;
  int interval;  // seconds between cycles
  int minutes;
  std::function<Reading(double t)> drive;  // the true free space at second t
  double noise;                            // uniform noise of this amplitude on every reading
  double rate;                             // true bytes per second filled, for the truth
  std::vector<Window> expect;
};

// Uniform in [-1, 1), the same for the same second on every platform.
double Noise(double t) {
  std::uint64_t z = static_cast<std::uint64_t>(t) * 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) / 4503599627370496.0 - 1;
}

Reading Fill(double t, double free0, double rate) {
  return {free0 - rate * t, 100 * kGB};
}
Reading operator-(Reading r, double bytes) {
  r.free -= bytes;
  return r;
}
Reading Passing(Reading r, bool whileThere) {
  r.passing = whileThere ? 200 * kMB : 0;
  return r;
}
Reading Asleep(Reading r, bool asleep) {
  r.awake = !asleep;
  return r;
}
// A fill of 1 MB/s from 20 GB, with `bytes` more free space from `minute` on.
Reading Deleted(double t, double minute, double bytes) {
  return Fill(t, 20 * kGB + (t >= minute * kMinute ? bytes : 0), kMB);
}

class FillForecastTest : public ::testing::Test {
 protected:
  static FillForecast::Clock::time_point At(double t) {
    // An arbitrary start, as a monotonic clock has one.
    return FillForecast::Clock::time_point{} + std::chrono::hours(50) +
           std::chrono::duration_cast<FillForecast::Clock::duration>(
               std::chrono::duration<double>(t));
  }

  // Runs the series cycle by cycle and checks every window; reports each window's first miss.
  static void Run(const Series& s) {
    SCOPED_TRACE(s.name);
    FillForecast forecast;
    std::vector<bool> missed(s.expect.size(), false);
    for (double t = 0; t <= s.minutes * kMinute; t += s.interval) {
      const Reading r = s.drive(t);
      if (!r.awake) continue;
      forecast.Observe(At(t), r.free - r.passing + s.noise * Noise(t), r.total,
                       seconds(s.interval));
      const auto left = forecast.TimeUntilBelow(kLimit);
      for (std::size_t w = 0; w < s.expect.size(); ++w) {
        const Window& win = s.expect[w];
        if (missed[w] || t < win.fromMinute * kMinute || t >= win.toMinute * kMinute) continue;
        if (win.tolerance == kNone) {
          missed[w] = left.has_value();
          EXPECT_FALSE(left) << "forecast of " << left->count() << " s at minute " << t / kMinute;
        } else {
          const double truth = (r.free - kLimit) / s.rate;
          missed[w] = !left || std::abs(left->count() - truth) > win.tolerance * truth;
          EXPECT_FALSE(missed[w]) << "at minute " << t / kMinute << " the truth is " << truth
                                  << " s, the forecast " << (left ? left->count() : -1) << " s";
        }
      }
    }
  }
};

// One series a row, read across: name, check interval (s), length (min), the true drive, noise
// amplitude, true fill rate (bytes/s), and the windows (from, to minute; tolerance or none).
// clang-format off
const std::vector<Series>& SeriesTable() {
  static const std::vector<Series> table = {
    {"steady fill at 1 MB/s", 1, 60, [](double t) { return Fill(t, 20 * kGB, kMB); }, 0, kMB,
     {{0, 5, kNone}, {8, 60, 0.10}}},
    {"steady fill at 100 MB/min", 5, 60, [](double t) { return Fill(t, 10 * kGB, 100 * kMB / 60); },
     0, 100 * kMB / 60, {{0, 5, kNone}, {8, 60, 0.10}}},
    {"fill, then files deleted", 2, 45, [](double t) { return Deleted(t, 20, 3 * kGB); }, 0, kMB,
     {{8, 20, 0.10}, {20, 25, kNone}, {29, 45, 0.10}}},
    {"files deleted early in a fill", 2, 30, [](double t) { return Deleted(t, 3, 3 * kGB); }, 0,
     kMB, {{3, 8, kNone}, {11, 30, 0.10}}},
    {"a reading that is no number", 5, 30,
     [](double t) { return Fill(t, 20 * kGB, kMB) - (t == 600 ? std::nan("") : 0); }, 0, kMB,
     {{10, 15, kNone}, {18, 30, 0.10}}},
    {"one 2 GB burst, then flat", 5, 60,
     [](double t) { return Fill(t, 50 * kGB, 0) - 2 * kGB * std::clamp(t / 20 - 30, 0.0, 1.0); },
     0, 1, {{0, 60, kNone}}},
    {"a file copied and deleted", 5, 30,
     [](double t) { return Fill(t, 50 * kGB, 0) - (t >= 600 && t < 780 ? 2 * kGB : 0); }, 0, 1,
     {{0, 30, kNone}}},
    {"slow fill with 50 MB of noise", 5, 180, [](double t) { return Fill(t, 5 * kGB, kMB / 6); },
     50 * kMB, kMB / 6, {{0, 5, kNone}, {12, 180, 0.10}}},
    {"slower fill with 50 MB of noise: once given, the forecast stays", 10, 180,
     [](double t) { return Fill(t, 5 * kGB, kMB / 10); }, 50 * kMB, kMB / 10,
     {{0, 5, kNone}, {11, 60, 0.50}, {60, 180, 0.25}}},
    {"slow fill with 50 MB of noise, checked every minute", 60, 180,
     [](double t) { return Fill(t, 5 * kGB, 0.15 * kMB); }, 50 * kMB, 0.15 * kMB,
     {{0, 5, kNone}, {16, 60, 0.50}, {60, 180, 0.25}}},
    {"slow fill with a temporary file of 200 MB for 40 s every 7 min", 5, 90,
     [](double t) { return Passing(Fill(t, 5 * kGB, kMB / 3), std::fmod(t, 420) >= 180 &&
                                                              std::fmod(t, 420) < 220); },
     10 * kMB, kMB / 3, {{0, 5, kNone}, {12, 90, 0.10}}},
    {"the same, checked every minute, the file seen twice", 60, 60,
     [](double t) { return Passing(Fill(t, 5 * kGB, kMB / 3), t >= 1500 && t <= 1560); }, 0,
     kMB / 3, {{0, 5, kNone}, {12, 60, 0.10}}},
    {"a file of 30 MB saved on a flat drive near the limit", 5, 40,
     [](double t) { return Fill(t, 1.5 * kGB, 0) - (t >= 600 ? 30 * kMB : 0); }, 0, 1,
     {{0, 40, kNone}}},
    {"the same with a 45 MB cache there 3 min in 7, checked every minute", 60, 90,
     [](double t) { return Fill(t, 5 * kGB, kMB / 3) - (std::fmod(t, 420) < 180 ? 45 * kMB : 0); },
     0, kMB / 3, {{0, 5, kNone}, {12, 90, 0.10}}},
    {"flat with 50 MB of noise", 5, 180, [](double t) { return Fill(t, 5 * kGB, 0); }, 50 * kMB, 1,
     {{0, 180, kNone}}},
    {"flat with 50 MB of noise, checked every minute", 60, 180,
     [](double t) { return Fill(t, 5 * kGB, 0); }, 50 * kMB, 1, {{0, 180, kNone}}},
    {"flat with 4 MB of noise", 1, 120, [](double t) { return Fill(t, 5 * kGB, 0); }, 4 * kMB, 1,
     {{0, 120, kNone}}},
    {"replaced by a fuller drive of the same size", 2, 45,
     [](double t) { return Deleted(t, 20, -5 * kGB); }, 0, kMB,
     {{8, 20, 0.10}, {20, 25, kNone}, {29, 45, 0.10}}},
    {"replaced by a drive of another size", 2, 45,
     [](double t) { return Reading{20 * kGB - kMB * t, t >= 1200 ? 64 * kGB : 100 * kGB}; }, 0,
     kMB, {{8, 20, 0.10}, {20, 25, kNone}, {29, 45, 0.10}}},
    {"sleep and resume while another computer fills the share", 10, 75,
     [](double t) { return Asleep(Fill(t, 20 * kGB, kMB), t >= 1200 && t < 3000); }, 0, kMB,
     {{8, 20, 0.10}, {50, 55, kNone}, {59, 75, 0.10}}},
    {"fill that stops", 5, 60, [](double t) { return Fill(std::min(t, 1200.0), 20 * kGB, kMB); },
     0, kMB, {{8, 20, 0.10}, {23, 60, kNone}}},
    {"fill down to the limit and on to empty", 5, 30,
     [](double t) { return Fill(std::min(t, 1228.8), 2 * kGB, 100 * kMB / 60); }, 0,
     100 * kMB / 60, {{8, 10, 0.10}, {11, 30, kNone}}},
    {"slow fill of a large drive: full in weeks", 5, 60,
     [](double t) { return Fill(t, 90 * kGB, kMB / 60); }, 0, kMB / 60, {{0, 60, kNone}}},
    {"growing drive", 5, 60, [](double t) { return Fill(t, 5 * kGB, -kMB); }, 0, 1,
     {{0, 60, kNone}}},
  };
  return table;
}
// clang-format on

TEST_F(FillForecastTest, SeriesTable) {
  for (const Series& s : SeriesTable()) Run(s);
}

TEST_F(FillForecastTest, HistoryStaysBoundedAndCoversTwoHours) {
  struct Case {
    int interval;
    int readings;
  };
  for (const Case c : {Case{1, 100000}, Case{7, 20000}, Case{45, 5000}, Case{60, 5000}}) {
    SCOPED_TRACE(c.interval);
    FillForecast forecast;
    for (int i = 0; i < c.readings; ++i) {
      const double t = i * static_cast<double>(c.interval);
      forecast.Observe(At(t), 900 * kGB - kMB * i, 1000 * kGB, seconds(c.interval));
      ASSERT_LE(forecast.SampleCount(), FillForecast::kCapacity);
    }
    EXPECT_LE(forecast.HistorySpan(), std::chrono::hours(2));
    EXPECT_GE(forecast.HistorySpan(), std::chrono::minutes(115));
    EXPECT_TRUE(forecast.ShrinkRate());
  }
}

TEST_F(FillForecastTest, TimeLeftSaidAsAPersonWould) {
  struct Case {
    std::int64_t seconds;
    const char* text;
    const char* shortText;
  };
  const Case cases[] = {
      {-5, "in weniger als einer Minute", "voll in unter 1 Min."},
      {29, "in weniger als einer Minute", "voll in unter 1 Min."},
      {30, "in etwa einer Minute", "voll in etwa 1 Min."},
      {89, "in etwa einer Minute", "voll in etwa 1 Min."},
      {90, "in etwa 2 Minuten", "voll in etwa 2 Min."},
      {5 * 60 + 10, "in etwa 5 Minuten", "voll in etwa 5 Min."},
      {12 * 60 + 29, "in etwa 10 Minuten", "voll in etwa 10 Min."},
      {12 * 60 + 30, "in etwa 15 Minuten", "voll in etwa 15 Min."},
      {21 * 60 + 40, "in etwa 20 Minuten", "voll in etwa 20 Min."},
      {57 * 60 + 29, "in etwa 55 Minuten", "voll in etwa 55 Min."},
      {57 * 60 + 30, "in etwa einer Stunde", "voll in etwa 1 Std."},
      {74 * 60 + 59, "in etwa einer Stunde", "voll in etwa 1 Std."},
      {75 * 60, "in etwa eineinhalb Stunden", "voll in etwa 1\xC2\xBD Std."},
      {105 * 60, "in etwa 2 Stunden", "voll in etwa 2 Std."},
      {135 * 60, "in etwa zweieinhalb Stunden", "voll in etwa 2\xC2\xBD Std."},
      {164 * 60, "in etwa zweieinhalb Stunden", "voll in etwa 2\xC2\xBD Std."},
      {165 * 60, "in etwa 3 Stunden", "voll in etwa 3 Std."},
      {23 * 3600 + 1800, "in etwa 24 Stunden", "voll in etwa 24 Std."},
      {INT64_MAX, "in etwa 16667 Stunden", "voll in etwa 16667 Std."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TimeLeftText(seconds(c.seconds)), c.text) << c.seconds << " s";
    EXPECT_EQ(TimeLeftShortText(seconds(c.seconds)), c.shortText) << c.seconds << " s";
  }
}

}  // namespace
}  // namespace quenora
