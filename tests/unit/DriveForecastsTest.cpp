#include "monitor/DriveForecasts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fakes.h"

namespace quenora {
namespace {

using namespace std::chrono_literals;
constexpr double kMB = 1048576.0;

class DriveForecastsTest : public ::testing::Test {
 protected:
  DriveForecastsTest() {
    drives.DriveCount = 2;
    drives.DriveNumbers[0] = 3;  // C:, quiet
    drives.DriveNumbers[1] = 4;  // D:, filling
  }
  // Ten-second cycles for `span`, D: losing `rate` bytes a second; the notices, by the
  // minute they came in.
  std::vector<std::string> Run(std::chrono::seconds span, double rate) {
    std::vector<std::string> seen;
    for (auto t = 0s; t < span; t += 10s) {
      now += 10s;
      readings[0] = {DriveReading::State::Readable, 50000 * kMB, 100000 * kMB, "SYSTEM"};
      dFree -= rate * 10;
      readings[1] = {DriveReading::State::Readable, dFree, 100000 * kMB, "DATEN"};
      for (const Notice& notice :
           forecasts.Observe(now, 10s, drives, readings, DriveLimits(1000, &own), system)) {
        EXPECT_EQ(notice.iconId, 2u);
        seen.push_back(notice.title);
        lastText = notice.text;
        lastEvent = LogEventOf(notice);
      }
    }
    return seen;
  }

  testing::FakeSystem system;
  DriveTable drives;
  std::array<DriveReading, kMaxDrives> readings{};
  DriveForecasts forecasts;
  DriveLevels own{};
  std::string lastText;
  LogEvent lastEvent;
  DriveForecasts::Clock::time_point now{};
  double dFree = 5120 * kMB;
};

TEST_F(DriveForecastsTest, ASteadyFillNotifiesOnceWithinHalfAnHourAndAgainAfterSpaceWasFreed) {
  // 1 MB/s from 5 GB to the 1000 MB limit: 68 minutes at the start.
  EXPECT_TRUE(Run(30min, kMB).empty());
  ASSERT_TRUE(forecasts.TimeUntilBelow(4, 1000 * kMB));
  EXPECT_NEAR(forecasts.TimeUntilBelow(4, 1000 * kMB)->count(), 4120 - 1800, 4120 * 0.1);
  EXPECT_FALSE(forecasts.TimeUntilBelow(3, 1000 * kMB));  // C: stays: no forecast
  const std::vector<std::string> first = Run(15min, kMB);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], "Laufwerk D: ist voraussichtlich in etwa 30 Minuten voll");
  EXPECT_TRUE(Run(5min, kMB).empty());
  // Files deleted: the next approach is a new one.
  dFree += 3000 * kMB;
  EXPECT_EQ(Run(60min, kMB).size(), 1u);
}

TEST_F(DriveForecastsTest, TheForecastAimsAtTheDrivesOwnLimit) {
  // D:'s own limit is 4 % of its 100000 MB: 1120 MB above it at 1 MB/s.
  own[3] = DriveLevel{4, DriveLevel::Unit::Percent};
  ASSERT_EQ(Run(15min, kMB).size(), 1u);
  EXPECT_TRUE(lastText.ends_with("(Alarmgrenze: 4 % = 3,9 GB).")) << lastText;
  // Its event, with the seconds left within the half hour as its seventh value.
  EXPECT_EQ(lastEvent.id, 1003u);
  EXPECT_TRUE(std::stoi(lastEvent.strings.at(6)) > 0 && std::stoi(lastEvent.strings[6]) <= 1800);
}

TEST(ApproachNoticeTest, SaysTheRateAndKeepsTheTitleWithinTheField) {
  const Notice notice =
      ApproachNotice(2, "D:", "DATEN", 20min, 1.25 * 1024 * kMB, 100 * kMB / 60, "1000 MB", ",");
  EXPECT_EQ(notice.title, "Laufwerk D: ist voraussichtlich in etwa 20 Minuten voll");
  EXPECT_EQ(notice.text,
            "\xC2\xBB"
            "DATEN\xC2\xAB: Noch 1,3 GB frei, es werden etwa 100,0 MB weniger pro Minute "
            "(Alarmgrenze: 1000 MB).");
  EXPECT_EQ(ApproachNotice(1, "D:", "", 10s, kMB, kMB, "10 MB", ",").title,
            "Laufwerk D: ist bald voll");
}

}  // namespace
}  // namespace quenora
