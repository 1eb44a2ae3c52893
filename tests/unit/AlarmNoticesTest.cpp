#include "monitor/AlarmNotices.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Fakes.h"
#include "monitor/DriveForecasts.h"
#include "util/Utf.h"

namespace quenora {
namespace {

constexpr double kMB = 1048576.0;

// One drive, C:, watched over a series of cycles. Each step: free megabytes (negative: the
// drive can't be read, NaN: it is waiting), and what it notifies ("" none, "low", "early",
// "gone") with the event it writes ("low 1000"), or the event it only writes ("1001").
struct Step {
  double freeMegabytes;
  const char* expected;
};

class AlarmNoticesTest : public ::testing::Test {
 protected:
  AlarmNoticesTest() {
    drives.DriveCount = 1;
    drives.DriveNumbers[0] = 3;
  }
  std::string Cycle(double freeMegabytes, const DriveLimits& limit) {
    DriveReading& reading = readings[0];
    reading = {};
    if (std::isnan(freeMegabytes)) {
      reading.state = DriveReading::State::Waiting;
    } else if (freeMegabytes < 0) {
      reading.state = DriveReading::State::Unreadable;
    } else {
      reading.state = DriveReading::State::Readable;
      reading.freeBytes = freeMegabytes * kMB;
      reading.totalBytes = 100000 * kMB;
    }
    last = notices_.Observe(drives, readings, limit, system);
    if (last.empty()) return "";
    EXPECT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].iconId, 1u);
    const std::string event = std::to_string(EventOf(last[0].kind).eventId);
    if (!EventOf(last[0].kind).notifies) return event;
    if (last[0].title.find("fast voll") != std::string::npos) return "low " + event;
    return (last[0].title.find("wird knapp") != std::string::npos ? "early " : "gone ") + event;
  }
  void Run(const std::vector<Step>& steps, const DriveLimits& limit) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      EXPECT_EQ(Cycle(steps[i].freeMegabytes, limit), steps[i].expected)
          << "step " << i << ": " << steps[i].freeMegabytes << " MB";
    }
  }

  testing::FakeSystem system;
  DriveTable drives;
  std::array<DriveReading, kMaxDrives> readings{};
  AlarmNotices notices_;
  std::vector<Notice> last;  // of the last cycle
};

constexpr double kWaiting = std::numeric_limits<double>::quiet_NaN();

TEST_F(AlarmNoticesTest, OncePerCrossingWithTheMarginOfATenthOfTheLimit) {
  // Limit 1000 MB: back above it means 1100 MB.
  Run({{2000, ""},
       {999, "low 1000"},
       {990, ""},
       {1001, ""},
       {999, ""},
       {1099, ""},
       {999, ""},
       {kWaiting, ""},
       {1100, "1001"},
       {1200, ""},
       {999.9, "low 1000"},
       {500, ""}},
      1000);
}

TEST_F(AlarmNoticesTest, SmallLimitsHaveAMarginOf50Megabytes) {
  Run({{5, "low 1000"}, {54, ""}, {9, ""}, {60, "1001"}, {9, "low 1000"}}, 10);
}

TEST_F(AlarmNoticesTest, OnlyADriveThatWasReadableNotifiesThatItIsGoneAndOnceEachTime) {
  // An empty card reader since the start says nothing.
  Run({{-1, ""}, {-1, ""}, {kWaiting, ""}}, 10);
  Run({{500, ""}, {-1, "gone 1005"}, {-1, ""}, {kWaiting, ""}, {-1, ""}, {500, "1006"}}, 10);
  Run({{-1, "gone 1005"}}, 10);
}

TEST_F(AlarmNoticesTest, ANewLimitRearmsEveryDrive) {
  Run({{5, "low 1000"}, {5, ""}}, 10);
  notices_.Rearm();
  Run({{5, "low 1000"}, {5, ""}}, 20);
}

TEST_F(AlarmNoticesTest, AnEarlyLevelNotifiesOncePerCrossingAndNeverBesideTheAlarm) {
  // C: of 100000 MB with its own limit of 1 % (1000 MB) and an early level of 5 % (5000 MB,
  // notifying again from 5500 MB).
  DriveLevels own{}, early{};
  own[2] = DriveLevel{1, DriveLevel::Unit::Percent};
  early[2] = DriveLevel{5, DriveLevel::Unit::Percent};
  Run({{6000, ""},
       {4999, "early 1002"},
       {4000, ""},
       {5400, ""},
       {4000, ""},
       {5500, ""},
       {4000, "early 1002"},
       {999, "low 1000"},
       {3000, "1001"},
       {6000, ""},
       {900, "low 1000"},
       {3000, "1001"}},
      DriveLimits(10, &own, &early));
}

TEST_F(AlarmNoticesTest, EventsCarryTheDrivesValuesInTheirFixedOrder) {
  // Drive, label, free and total bytes, the level as set and in bytes, seconds left: the
  // early event names the early level; a drive that can't be read has no numbers of its own.
  DriveLevels own{}, early{};
  own[2] = DriveLevel{1, DriveLevel::Unit::Percent};
  early[2] = DriveLevel{5.5, DriveLevel::Unit::Percent};
  const DriveLimits limits(10, &own, &early);
  using Strings = std::vector<std::string>;
  Cycle(4999.5, limits);
  EXPECT_EQ(last.at(0).eventStrings,
            (Strings{"C:", "", "5242355712", "104857600000", "5.5 %", "5767168000", ""}));
  Cycle(999, limits);
  EXPECT_EQ(last.at(0).eventStrings,
            (Strings{"C:", "", "1047527424", "104857600000", "1 %", "1048576000", ""}));
  Cycle(-1, limits);
  EXPECT_EQ(last.at(0).eventStrings, (Strings{"C:", "", "", "", "1 %", "", ""}));
  // Readable again; the Alarm page's limit in megabytes, with a point whatever the separator.
  Cycle(2, 10.5);
  EXPECT_EQ(last.at(0).eventStrings,
            (Strings{"C:", "", "2097152", "104857600000", "10.5 MB", "11010048", ""}));
}

TEST(NoticeTextTest, TitlesAndTextsInTheUnitsOfTheTooltips) {
  const Notice low = LowSpaceNotice(2, "C:", "SYSTEM", 812 * kMB, "1000 MB", ",");
  EXPECT_EQ(low.iconId, 2u);
  EXPECT_EQ(low.title, "Laufwerk C: ist fast voll");
  EXPECT_EQ(low.text, "\xC2\xBBSYSTEM\xC2\xAB: Nur noch 812,0 MB frei (Alarmgrenze: 1000 MB).");
  EXPECT_EQ(LowSpaceNotice(1, "D:", "", 512, "10.5 MB", ".").text,
            "Nur noch 512.0 Byte frei (Alarmgrenze: 10.5 MB).");
  const Notice early = EarlyNotice(4, "D:", "", 1.5 * 1024 * kMB, "5 % = 25,6 GB", ",");
  EXPECT_EQ(early.title, "Laufwerk D: wird knapp");
  EXPECT_EQ(early.text, "Nur noch 1,5 GB frei (Vorwarnung: 5 % = 25,6 GB).");
  const Notice gone = UnreachableNotice(3, "N:", "NAS");
  EXPECT_EQ(gone.title, "Laufwerk N: ist nicht erreichbar");
  EXPECT_EQ(gone.text, "Von N: \xC2\xBBNAS\xC2\xAB kann nicht gelesen werden.");
  EXPECT_EQ(UnreachableNotice(3, "N:", "").text, "Von N: kann nicht gelesen werden.");
}

TEST(NoticeTextTest, ALongLabelGivesWayWithinTheFieldsAndNoCharacterIsCutInHalf) {
  // 300 musical symbols (two UTF-16 units each) as a label: the message stays whole.
  std::string label;
  for (int i = 0; i < 300; ++i) label += "\xF0\x9D\x84\x9E";
  for (const Notice& notice :
       {LowSpaceNotice(1, "C:", label, kMB, "10 MB", ","), UnreachableNotice(1, "C:", label),
        ApproachNotice(1, "C:", label, std::chrono::minutes(20), kMB, kMB, "10 MB", ",")}) {
    const std::u16string text = Utf8ToUtf16(notice.text);
    EXPECT_LE(text.size(), kNoticeTextLength);
    EXPECT_GE(text.size(), kNoticeTextLength - 1);
    EXPECT_EQ(Utf16ToUtf8(text), notice.text) << "a surrogate pair was cut";
    EXPECT_NE(notice.text.find("\xE2\x80\xA6\xC2\xAB"), std::string::npos);  // …«
    EXPECT_TRUE(notice.text.ends_with("(Alarmgrenze: 10 MB).") ||
                notice.text.ends_with(" kann nicht gelesen werden."));
  }
  EXPECT_EQ(CutToUtf16Units("ab\xF0\x9D\x84\x9E", 3), "ab");
  EXPECT_EQ(CutToUtf16Units("ab\xF0\x9D\x84\x9E", 4), "ab\xF0\x9D\x84\x9E");
  EXPECT_EQ(CutToUtf16Units("\xC3\xA4\xC3\xB6\xC3\xBC", 2), "\xC3\xA4\xC3\xB6");
}

}  // namespace
}  // namespace quenora
