#include "monitor/DriveLimits.h"
#include "util/DriveLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace quenora {
namespace {

using Unit = DriveLevel::Unit;
constexpr double kMB = 1048576, kGB = 1073741824, kTB = 1099511627776;

TEST(DriveLevelsTest, LevelInBytesFollowsTheUnitAndTheDrivesSize) {
  struct Case {
    DriveLevel level;
    double totalBytes, bytes;
  };
  const Case cases[] = {
      {{500, Unit::Megabytes}, 100 * kGB, 500 * kMB},
      {{20, Unit::Gigabytes}, 100 * kTB, 20 * kGB},
      {{10, Unit::Percent}, 512 * kGB, 51.2 * kGB},
      {{10, Unit::Percent}, 32 * kMB, 3.2 * kMB},
      {{5, Unit::Percent}, 100 * kTB, 5 * kTB},
      {{50, Unit::Percent}, 1001, 500.5},  // one rounding: 50 x 1001 / 100
      {{100, Unit::Percent}, 20 * kMB, 20 * kMB},
      {{2, Unit::Gigabytes}, 16 * kMB, 16 * kMB},  // never more than the drive holds
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LevelBytes(c.level, c.totalBytes), c.bytes)
        << c.level.number << " of " << c.totalBytes;
  }
}

TEST(DriveLevelsTest, StoredTextKeepsEveryGoodEntryAndLeavesOutTheBadOnes) {
  const DriveLevels levels = ParseDriveLevels(
      " d = 10 % ;E=20gb;f=500,5Mb;G=;H=abc;I=-5GB;J=0%;K=150%;L=7TB;e=3MB;1=5MB;;M5MB;"
      "N=1e400MB;O=2.5%");
  DriveLevels expected;
  expected['D' - 'A'] = DriveLevel{10, Unit::Percent};
  expected['E' - 'A'] = DriveLevel{20, Unit::Gigabytes};  // the second E: is left out
  expected['F' - 'A'] = DriveLevel{500.5, Unit::Megabytes};
  expected['K' - 'A'] = DriveLevel{100, Unit::Percent};
  expected['O' - 'A'] = DriveLevel{2.5, Unit::Percent};
  EXPECT_EQ(levels, expected);
  EXPECT_EQ(DriveLevelsText(levels), "D=10%;E=20GB;F=500.5MB;K=100%;O=2.5%");
  EXPECT_EQ(ParseDriveLevels(DriveLevelsText(levels)), levels);
  EXPECT_EQ(DriveLevelsText(ParseDriveLevels("")), "");
}

TEST(DriveLimitsTest, EachDriveHasItsOwnLevelsOrThePagesLimit) {
  // C: none of its own, D: 10 % and an early level of 20 %, E: 20 GB with an early level of
  // 5 % (above the limit only on drives over 400 GB), F: 500,5 MB.
  DriveLevels own{}, early{};
  own[3] = DriveLevel{10, Unit::Percent};
  early[3] = DriveLevel{20, Unit::Percent};
  own[4] = DriveLevel{20, Unit::Gigabytes};
  early[4] = DriveLevel{5, Unit::Percent};
  own[5] = DriveLevel{500.5, Unit::Megabytes};
  const DriveLimits limits(1000, &own, &early);
  struct Case {
    int drive;
    double totalBytes, limitBytes, earlyBytes;  // 0: no early level
    const char* limitText;
  };
  const Case cases[] = {
      {3, 100 * kGB, 1000 * kMB, 0, "1000 MB"},
      {4, 512 * kGB, 51.2 * kGB, 102.4 * kGB, "10 % = 51,2 GB"},
      {4, 8 * kMB, 0.8 * kMB, 1.6 * kMB, "10 % = 819,2 KB"},
      {4, 100 * kTB, 10 * kTB, 20 * kTB, "10 % = 10,0 TB"},
      {5, 2 * kTB, 20 * kGB, 0.1 * kTB, "20 GB"},
      {5, 400 * kGB, 20 * kGB, 0, "20 GB"},  // 5 % is the limit itself: no early level
      {5, 16 * kMB, 16 * kMB, 0, "20 GB"},   // a limit beyond the drive: all of it
      {6, 100 * kGB, 500.5 * kMB, 0, "500,5 MB"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(limits.LimitBytes(c.drive, c.totalBytes), c.limitBytes) << c.drive;
    EXPECT_EQ(limits.EarlyBytes(c.drive, c.totalBytes).value_or(0), c.earlyBytes) << c.drive;
    EXPECT_EQ(limits.LimitText(c.drive, c.totalBytes, ","), c.limitText);
  }
  EXPECT_EQ(DriveLimits(10.5).LimitText(4, kGB, "."), "10.5 MB");
  EXPECT_EQ(limits.EarlyText(5, 2 * kTB, ","), "5 % = 102,4 GB");
}

}  // namespace
}  // namespace quenora
