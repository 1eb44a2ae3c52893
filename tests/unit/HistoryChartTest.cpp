#include "history/HistoryChart.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

constexpr double kGB = 1073741824.0;
constexpr std::int64_t kHour = 3600, kDay = 86400;
constexpr std::int64_t kTue8Dec1300 = 1796734800;  // 2026-12-08 13:00 UTC, 14:00 in Berlin
const LocalClock kBerlin = [](std::int64_t utc) { return utc + kHour; };

// `count` slots of the resolution, the last starting at `last`, the `gap`-th from the end missing.
std::vector<HistorySlot> Ring(HistoryResolution r, int count, std::int64_t last, int gap = -1) {
  std::vector<HistorySlot> slots;
  const std::int64_t length = ShapeOf(r).seconds;
  for (int i = count - 1; i >= 0; --i) {
    if (i == gap) continue;
    const auto free = static_cast<std::uint64_t>((100 + i) * kGB);
    slots.push_back({last - i * length, free - 1, free + 1, free, 500ull << 30, 12});
  }
  return slots;
}

HistoryRings Recorded(std::int64_t seconds) {
  HistoryRings rings;
  for (int r = 0; r < 3; ++r) {
    const auto resolution = static_cast<HistoryResolution>(r);
    const std::int64_t length = ShapeOf(resolution).seconds;
    const auto count =
        static_cast<int>(std::min<std::int64_t>(ShapeOf(resolution).count, seconds / length + 1));
    rings[static_cast<std::size_t>(r)] = Ring(resolution, count, kTue8Dec1300 / length * length);
  }
  return rings;
}

TEST(HistoryChartTest, EachRangeDrawsItsResolutionOrAFinerOneWhereThatHasFewSlots) {
  using enum HistoryRange;
  constexpr auto k5 = HistoryResolution::kFiveMinutes, kH = HistoryResolution::kHour,
                 kD = HistoryResolution::kDay;
  const struct {
    std::int64_t recorded;
    HistoryRange range;
    HistoryResolution expected;
  } cases[] = {
      {3650 * kDay, kTag, k5},  {3650 * kDay, kWoche, kH}, {3650 * kDay, kMonat, kH},
      {3650 * kDay, kJahr, kD}, {3650 * kDay, kAlles, kD}, {3 * kDay, kJahr, kH},
      {3 * kDay, kAlles, kH},   {kHour, kAlles, k5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolutionFor(c.range, Recorded(c.recorded), kTue8Dec1300), c.expected)
        << c.recorded << " " << static_cast<int>(c.range);
  }
  EXPECT_EQ(SpanOf(kAlles, Recorded(3 * kDay), kTue8Dec1300).from,
            kTue8Dec1300 / kDay * kDay - 3 * kDay);
}

TEST(HistoryChartTest, AxisMarksFallOnLocalHoursDaysMonthsAndYearsWithGermanLabels) {
  const struct {
    std::int64_t length;
    int most;
    std::vector<std::string> firstTexts;
    std::size_t count;
  } cases[] = {
      {kDay, 9, {"15:00", "18:00", "21:00", "Di 8.12."}, 8},
      {7 * kDay, 8, {"Mi 2.12.", "Do 3.12."}, 7},
      {90 * kDay, 8, {"Mo 14.9.", "Mo 28.9."}, 7},
      {365 * kDay, 8, {"Jan. 2026", "M\xC3\xA4rz 2026"}, 6},
      {3650 * kDay, 8, {"2018", "2020"}, 5},
  };
  for (const auto& c : cases) {
    const auto ticks = TimeTicks({kTue8Dec1300 - c.length, kTue8Dec1300}, kBerlin, c.most);
    ASSERT_EQ(ticks.size(), c.count) << c.length;
    for (std::size_t i = 0; i < c.firstTexts.size(); ++i) EXPECT_EQ(ticks[i].text, c.firstTexts[i]);
  }
  // Local midnight, not UTC's.
  EXPECT_EQ(TimeTicks({kTue8Dec1300 - kDay, kTue8Dec1300}, kBerlin, 9)[3].at,
            kTue8Dec1300 - 14 * kHour);

  const struct {
    double high;
    std::vector<std::string> texts;
  } sizes[] = {
      {120 * kGB, {"0 GB", "50 GB", "100 GB", "150 GB"}},
      {512 * kGB, {"0 GB", "200 GB", "400 GB", "600 GB"}},
      {1.5 * kGB, {"0 GB", "0,5 GB", "1 GB", "1,5 GB"}},
  };
  for (const auto& s : sizes) {
    std::vector<std::string> texts;
    for (const AxisTick& tick : SizeTicks(s.high, 6, ",")) texts.push_back(tick.text);
    EXPECT_EQ(texts, s.texts);
  }
}

TEST(HistoryChartTest, TheValueAtATimeIsTheNearestSlots) {
  const auto slots = Ring(HistoryResolution::kHour, 5, kTue8Dec1300, 2);
  ASSERT_EQ(slots.size(), 4u);
  EXPECT_EQ(*SlotNear(slots, kTue8Dec1300 + 9 * kHour), 3u);
  EXPECT_EQ(*SlotNear(slots, kTue8Dec1300 - 2 * kHour - 60), 1u);
  EXPECT_EQ(*SlotNear(slots, 0), 0u);
  EXPECT_FALSE(SlotNear({}, 0));
  EXPECT_EQ(SlotText(slots[3], HistoryResolution::kHour, kBerlin, ","),
            "Di 8.12. 14:00: 100,0 GB frei");
  EXPECT_EQ(SlotText(slots[3], HistoryResolution::kDay, kBerlin, ","),
            "Di 8.12.2026: 100,0 GB frei");
}

TEST(HistoryChartTest, TheSummarySaysWhatIsKnown) {
  HistorySummaryFacts all{1796109240, -12.4 * kGB, -1.8 * kGB, "in etwa 3 Wochen",
                          "10 % = 51,2 GB"};
  const struct {
    HistorySummaryFacts facts;
    std::string text;
  } cases[] = {
      {all,
       "Aufgezeichnet seit 1.12.2026 08:14. Seit einer Woche 12,4 GB weniger frei, etwa 1,8 GB "
       "pro Tag; voraussichtlich voll in etwa 3 Wochen (Alarmgrenze: 10 % = 51,2 GB)."},
      {{1796109240, {}, {}, "", "10 % = 51,2 GB"},
       "Aufgezeichnet seit 1.12.2026 08:14. Alarmgrenze: 10 % = 51,2 GB."},
      {{{}, 2 * kGB, {}, "in etwa 3 Wochen", ""},
       "Seit einer Woche 2,0 GB mehr frei; voraussichtlich voll in etwa 3 Wochen."},
      {{{}, {}, -kGB, "", ""}, "Etwa 1,0 GB weniger frei pro Tag."},
      {{}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HistorySummaryText(c.facts, kBerlin, ","), c.text);

  HistorySummaryFacts week;
  FillWeekChange(week, Ring(HistoryResolution::kHour, 7 * 24, kTue8Dec1300));
  EXPECT_FALSE(week.weekChange);  // not yet a week
  FillWeekChange(week, Ring(HistoryResolution::kHour, 8 * 24, kTue8Dec1300));
  EXPECT_DOUBLE_EQ(*week.weekChange, -168 * kGB);
  EXPECT_DOUBLE_EQ(*week.bytesPerDay, -24 * kGB);
}

TEST(HistoryChartTest, WithoutItsBeginningAFileIsTakenToBeginAtItsFinestFirstSlot) {
  const std::int64_t day = kTue8Dec1300 / kDay * kDay, hour = day + 8 * kHour;
  const auto rings = [](std::int64_t five, std::int64_t hourly, std::int64_t daily) {
    return HistoryRings{{{{five}}, {{hourly}}, {{daily}}}};
  };
  EXPECT_EQ(FirstSlotStart(rings(hour + 600, hour, day)), hour + 600);
  // The five-minute ring has gone round since, then the hourly one as well.
  EXPECT_EQ(FirstSlotStart(rings(hour + 3 * kDay, hour, day)), hour);
  EXPECT_EQ(FirstSlotStart(rings(day + 95 * kDay, day + 91 * kDay, day)), day);
  EXPECT_EQ(FirstSlotStart({}), std::nullopt);
}

TEST(HistoryChartTest, TheCsvHoldsTheRangesSlotsInLocalTimeWithDecimalCommas) {
  auto slots = Ring(HistoryResolution::kHour, 5, kTue8Dec1300, 1);
  slots[2].readings = 0;  // an empty slot is a gap too
  EXPECT_EQ(HistoryCsv(slots, {kTue8Dec1300 - 3 * kHour, kTue8Dec1300}, kBerlin),
            "\xEF\xBB\xBFZeit;Frei (GB);Belegt (GB);Gr\xC3\xB6\xC3\x9F"
            "e (GB)\r\n"
            "2026-12-08 11:00;103,000;397,000;500,000\r\n"
            "2026-12-08 14:00;100,000;400,000;500,000\r\n");
  EXPECT_EQ(HistoryTitle('D', "DATEN"),
            "Verlauf von D: \xC2\xBB"
            "DATEN\xC2\xAB");
  EXPECT_EQ(HistoryTitle('D', ""), "Verlauf von D:");
  EXPECT_EQ(HistoryFileName('D', 1796860800), "Verlauf D 2026-12-10.csv");
}

}  // namespace
}  // namespace quenora
