#include "history/LongForecast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "monitor/AlarmNotices.h"
#include "monitor/DriveLimits.h"

namespace quenora {
namespace {

using std::chrono::seconds;

constexpr double kGB = 1073741824.0;
constexpr double kNan = NAN;
constexpr std::int64_t kNow = 1706659200;  // a whole hour
constexpr double kDays = 0;                // no forecast

// Deterministic scatter in [-1, 1) for hour h.
double Jitter(int h) {
  std::uint64_t z = static_cast<std::uint64_t>(h + 1) * 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 31)) * 0xBF58476D1CE4E5B9ull;
  return static_cast<double>((z ^ (z >> 29)) >> 11) / 4503599627370496.0 - 1;
}

// Hours counted back from now: hour 0 is the slot that ends now.
struct Case {
  const char* name;
  int hours;
  std::function<double(int h)> freeGB;  // NaN: no readings that hour (the computer was off)
  double days;                          // the forecast's time left, or kDays for none
  double tolerance = 0.03;
  std::function<double(int h)> totalGB = [](int) { return 500.0; };
};
// The case by its name in the test's name, not as bytes.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"steady fill of 2 GB a day", 336, [](int h) { return 100 + h / 12.0; }, 25},
      {"steady fill with scatter", 336, [](int h) { return 100 + h / 12.0 + 6 * Jitter(h); }, 25,
       0.15},
      {"computer off at night", 336, [](int h) { return h % 24 < 10 ? 100 + h / 12.0 : kNan; }, 25,
       0.05},
      {"daily downloads of 2 GB", 336, [](int h) { return 100 + 2 * ((h + 5) / 24); }, 25, 0.1},
      {"space deleted four days ago", 336,
       [](int h) { return 100 + h / 12.0 - (h >= 96 ? 30 : 0); }, 25, 0.05},
      {"an install of 20 GB 16 hours ago", 336,
       [](int h) { return 100 + h / 12.0 + (h >= 16 ? 20 : 0); }, 25, 0.05},
      {"an install of 40 GB on a slow fill", 336,
       [](int h) { return 100 + h / 120.0 + (h >= 30 ? 40 : 0); }, 250, 0.1},
      {"one install three days ago", 336,
       [](int h) { return 150 + Jitter(h) + (h >= 72 ? 40 : 0); }, kDays},
      {"a fill under a daily swing of 20 GB", 336,
       [](int h) { return 100 + h / 12.0 + (h % 24 < 12 ? 20 : 0); }, kDays},
      {"slow fill under big scatter", 336, [](int h) { return 100 + h / 24.0 + 12 * Jitter(h); },
       kDays},
      {"one install between level stretches", 336, [](int h) { return h < 150 ? 90 : 150; }, kDays},
      {"level with scatter", 336, [](int h) { return 150 + 8 * Jitter(h); }, kDays},
      {"cleaned yesterday, level since", 336,
       [](int h) { return h < 24 ? 180 : 100 + (h - 24) / 12.0; }, kDays},
      {"stopped filling five days ago", 336,
       [](int h) { return 100 + std::max(h - 120, 0) / 12.0; }, kDays},
      {"another drive size since two days", 336, [](int h) { return 100 + h / 12.0; }, kDays, 0,
       [](int h) { return h < 48 ? 500.0 : 400.0; }},
      {"under three days", 70, [](int h) { return 100 + h / 12.0; }, kDays},
      {"newest reading two days old", 336, [](int h) { return h < 48 ? kNan : 100 + h / 12.0; },
       kDays},
      {"beyond a year", 336, [](int h) { return 100 + h / 240.0; }, kDays},
      {"under a day", 336, [](int h) { return 51 + h / 12.0; }, kDays},
  };
  return cases;
}

class LongForecastTest : public ::testing::TestWithParam<Case> {};

TEST_P(LongForecastTest, GivesTheTimeLeftOnlyForAClearFill) {
  const Case& c = GetParam();
  std::vector<HistorySlot> slots;
  for (int h = c.hours - 1; h >= 0; --h) {
    const double free = c.freeGB(h);
    if (std::isnan(free)) continue;
    const auto bytes = static_cast<std::uint64_t>(free * kGB);
    slots.push_back({kNow - (h + 1) * 3600, bytes, bytes, bytes,
                     static_cast<std::uint64_t>(c.totalGB(h) * kGB), 12});
  }
  const auto forecast = ForecastLong(slots, kNow, static_cast<std::uint64_t>(50 * kGB));
  if (c.days == kDays) {
    EXPECT_FALSE(forecast) << c.name << ": " << forecast->untilLimit.count() / 86400.0 << " days";
    return;
  }
  ASSERT_TRUE(forecast) << c.name;
  EXPECT_NEAR(forecast->untilLimit.count() / 86400.0, c.days, c.days * c.tolerance) << c.name;
  EXPECT_NEAR(forecast->bytesPerDay / kGB, 50 / c.days, 50 / c.days * c.tolerance) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, LongForecastTest, ::testing::ValuesIn(Cases()));

TEST(LongForecastWeek, TellsTheChangeSinceAWeekAgo) {
  std::vector<HistorySlot> slots;
  for (std::uint64_t h = 0; h < 200; ++h) {
    slots.push_back({kNow - 200 * 3600 + static_cast<std::int64_t>(h) * 3600, 0, 0, (300 - h) << 30,
                     500ull << 30, 1});
  }
  EXPECT_EQ(WeekChange(slots, kNow), -168 * kGB);
  slots.resize(30);
  EXPECT_FALSE(WeekChange(slots, kNow));
}

TEST(LongForecastTexts, SayTheTimeInDaysWeeksOrMonths) {
  const struct {
    double days;
    const char* text;
  } steps[] = {{1, "einem Tag"},    {1.49, "einem Tag"}, {1.5, "2 Tagen"}, {5, "5 Tagen"},
               {13.4, "13 Tagen"},  {13.5, "2 Wochen"},  {21, "3 Wochen"}, {59.4, "8 Wochen"},
               {59.5, "2 Monaten"}, {365, "12 Monaten"}};
  for (const auto& step : steps) {
    const seconds left(std::llround(step.days * 86400));
    EXPECT_EQ(LongTimeLeftText(left), std::string("in etwa ") + step.text) << step.days;
    EXPECT_EQ(LongTimeLeftShortText(left), std::string("voll in etwa ") + step.text) << step.days;
  }
  DriveLevels own;
  own[3] = DriveLevel{10, DriveLevel::Unit::Percent};
  const LongForecastNoticeText notice =
      LongForecastNotice("D:", {6.3 * kGB, seconds(5 * 86400)}, 41.2 * kGB,
                         DriveLimits(1000, &own).LimitText(4, 512 * kGB, ","), ",");
  EXPECT_EQ(notice.title, "Laufwerk D: ist voraussichtlich in etwa 5 Tagen voll");
  EXPECT_EQ(LabelledNoticeText("DATEN", notice.message),
            "\xC2\xBB"
            "DATEN\xC2\xAB: Noch 41,2 GB frei, es werden etwa 6,3 GB weniger pro Tag "
            "(Alarmgrenze: 10 % = 51,2 GB).");
}

TEST(LongForecastWatch, NotifiesOnceUnderAWeekUntilRearmed) {
  const struct {
    int hour;
    double days;  // kDays: no forecast
    double limitGB, earlyGB;
    bool notifies;
  } steps[] = {
      {0, 10, 50, 0, false}, {1, 6.9, 50, 0, true},     {2, 6, 50, 0, false},
      {3, 13, 50, 0, false}, {4, 6, 50, 0, false},      {5, kDays, 50, 0, false},
      {28, 5, 50, 0, false}, {29, kDays, 50, 0, false}, {53, kDays, 50, 0, false},
      {54, 5, 50, 0, true},  {55, 15, 50, 0, false},    {56, 6, 50, 0, true},
      {57, 6, 40, 0, true},  {58, 6, 40, 80, true},     {59, 6, 40, 80, false},
  };
  LongForecastWatch watch;
  for (const auto& s : steps) {
    const auto left =
        s.days == kDays ? std::nullopt : std::optional<seconds>(std::llround(s.days * 86400));
    EXPECT_EQ(watch.Observe(kNow + s.hour * 3600, left, s.limitGB * kGB, s.earlyGB * kGB),
              s.notifies)
        << "hour " << s.hour;
  }
}

}  // namespace
}  // namespace quenora
