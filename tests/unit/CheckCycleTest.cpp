#include "monitor/CheckCycle.h"
#include "ui/TrayView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"

namespace quenora {
namespace {

using testing::FakeDiskSpace;
using testing::FakeEventLog;
using testing::FakeNotifyArea;
using testing::FakeSystem;

constexpr std::uint64_t kMB = 1048576;
constexpr std::uint64_t kGB = 1073741824;

TEST(FillLevelTest, UsedShareTimesTwentySevenWithTiesToEven) {
  // used/total x 27 = 13.5 and 12.5: both ties.
  EXPECT_EQ(FillLevel(27 - 13.5, 27), 14);
  EXPECT_EQ(FillLevel(27 - 12.5, 27), 12);
  EXPECT_EQ(FillLevel(54 - 27, 54), 14);  // half full: 13.5
  EXPECT_EQ(FillLevel(0, 1000), 27);      // full drive
  EXPECT_EQ(FillLevel(1000, 1000), 0);    // empty drive
  EXPECT_EQ(FillLevel(999, 1000), 0);     // 0.027
  EXPECT_EQ(FillLevel(1, 1000), 27);      // 26.973
}

TEST(FillLevelTest, StaysWithinThePicturesWhenFreeExceedsTotal) {
  EXPECT_EQ(FillLevel(2000, 1000), 0);
  EXPECT_EQ(FillLevel(1e300, 1), 0);
}

TEST(DriveTipTextTest, NumberAndPercentFormats) {
  EXPECT_EQ(DriveTipText("C:", "", 512, 2048, ","), "Rest auf C: 512,0 Byte = 25%");
  EXPECT_EQ(DriveTipText("C:", "", 1023, 2048, ","), "Rest auf C: 1023,0 Byte = 50%");
  EXPECT_EQ(DriveTipText("C:", "", 1024, 4096, ","), "Rest auf C: 1,0 KB = 25%");
  EXPECT_EQ(DriveTipText("C:", "", kGB, 4 * kGB, ","), "Rest auf C: 1,0 GB = 25%");
  // 2^50 bytes are 1024 TB: no larger unit and no thousands separator.
  EXPECT_EQ(DriveTipText("C:", "", std::ldexp(1.0, 50), std::ldexp(1.0, 51), ","),
            "Rest auf C: 1024,0 TB = 50%");
  EXPECT_EQ(DriveTipText("D:", "", 700 * kMB, 700.0 * kMB / 0.03, ","),
            "Rest auf D: 700,0 MB = 3%");
  // The user's decimal separator, whatever it is.
  EXPECT_EQ(DriveTipText("C:", "", 1536, 3072, "."), "Rest auf C: 1.5 KB = 50%");
}

TEST(DriveTipTextTest, HalvesRoundAwayFromZero) {
  // 1.25 KB and 1.75 KB are exact; a tenth of a half goes up.
  EXPECT_EQ(DriveTipText("C:", "", 1280, 1e6, ","), "Rest auf C: 1,3 KB = 0%");
  EXPECT_EQ(DriveTipText("C:", "", 1792, 1e6, ","), "Rest auf C: 1,8 KB = 0%");
  // 1023.96 KB rounds up into the next whole number.
  EXPECT_EQ(DriveTipText("C:", "", 1048535, 1e9, ","), "Rest auf C: 1024,0 KB = 0%");
  // Percent: 0.5 -> 1, 12.5 -> 13, 99.5 -> 100.
  EXPECT_EQ(DriveTipText("C:", "", 1, 200, ","), "Rest auf C: 1,0 Byte = 1%");
  EXPECT_EQ(DriveTipText("C:", "", 1, 8, ","), "Rest auf C: 1,0 Byte = 13%");
  EXPECT_EQ(DriveTipText("C:", "", 199, 200, ","), "Rest auf C: 199,0 Byte = 100%");
  EXPECT_EQ(DriveTipText("C:", "", 0, 200, ","), "Rest auf C: 0,0 Byte = 0%");
}

TEST(DriveTipTextTest, CountsThatAreNoNumberStillGiveADigit) {
  // Never a query's answer, but the text must not depend on an undefined conversion: the
  // tenths of infinity or NaN are shown as 0, whatever the whole part says.
  for (const double freeBytes :
       {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    const std::string tip = DriveTipText("C:", "", freeBytes, 1e9, ",");
    EXPECT_EQ(tip.rfind("Rest auf C: ", 0), 0u) << tip;
    EXPECT_NE(tip.find(",0 TB = "), std::string::npos) << tip;
  }
}

TEST(DriveTipTextTest, LabelStandsInGuillemetsAndUnreadableForm) {
  EXPECT_EQ(DriveTipText("C:", "SYSTEM", 12.3 * kGB, 12.3 * kGB / 0.45, ","),
            "Rest auf C: \xC2\xBBSYSTEM\xC2\xAB 12,3 GB = 45%");
  EXPECT_EQ(DriveTipText("A:"), "Fehler: Von A: kann nicht gelesen werden.");
}

// Pictures made on demand: each the first time it is wanted, once, and only those wanted.
TEST(IconImagesTest, PicturesAreMadeWhenFirstWantedAndOnlyOnce) {
  struct Maker : TrayPictureMaker {
    IconHandle MakeTrayPicture(int index) override {
      made.push_back(index);
      return static_cast<IconHandle>(500 + index);
    }
    std::vector<int> made;
  } maker;
  IconImages pictures(maker);
  EXPECT_TRUE(maker.made.empty());
  EXPECT_EQ(pictures.Picture(kIconUnreadable), 500u + kIconUnreadable);
  EXPECT_EQ(pictures.Picture(kIconUnreadable), 500u + kIconUnreadable);
  EXPECT_EQ(pictures.Picture(3), 503u);
  EXPECT_EQ(maker.made, (std::vector<int>{kIconUnreadable, 3}));
  // One set from outside is used as it is.
  pictures[4] = 77;
  EXPECT_EQ(pictures.Picture(4), 77u);
  EXPECT_EQ(maker.made.size(), 2u);
  // Without a maker an unset picture stays 0.
  IconImages plain;
  EXPECT_EQ(plain.Picture(0), 0u);
}

class CheckCycleTest : public ::testing::Test {
 protected:
  CheckCycleTest() {
    freeSpace.OSFat32Support = -1;
    for (int i = 0; i < kTrayPictureCount; ++i) icons[static_cast<std::size_t>(i)] = 1000 + i;
    tray.TrayWindowHandle = 77;
    cycle.MemoryLimit = 10;
    cycle.AlarmSoundEnabled = 1;
  }

  void Monitor(const std::string& letters) {
    drives.DriveCount = 0;
    for (const char letter : letters) drives.DriveNumbers[drives.DriveCount++] = letter % 64;
  }

  struct Sent {
    std::uint32_t id;
    int picture;
    std::string tip;
  };
  // The modify requests of one cycle.
  std::vector<Sent> Tick() {
    shell.requests.clear();
    view.UpdateIcons();
    std::vector<Sent> sent;
    for (const auto& request : shell.requests) {
      EXPECT_EQ(request.message, kNimModify);
      sent.push_back(
          {request.record.uID, static_cast<int>(request.record.hIcon) - 1000, request.Tip()});
    }
    return sent;
  }

  const std::shared_ptr<FakeDiskSpace> diskService = std::make_shared<FakeDiskSpace>();

  FakeDiskSpace& disks = *diskService;
  FakeNotifyArea shell;
  FakeSystem system;
  DriveTable drives;
  IconImages icons{};
  FreeSpace freeSpace{disks, system};
  TrayIconSet tray{shell, system};
  CheckCycle cycle{drives, freeSpace, diskService, system};
  FakeEventLog eventLog;
  TrayView view{cycle, tray, system, icons, nullptr, &eventLog};
};

TEST_F(CheckCycleTest, FirstCycleSendsEveryReadableDriveThenQuietDrivesCostNoShellRequest) {
  Monitor("CD");
  disks.Set("C:", 50 * kGB, 100 * kGB, "SYSTEM");
  disks.Set("D:", 3 * kGB, 4 * kGB);
  const auto first = Tick();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].id, 1u);
  EXPECT_EQ(first[0].picture, 14);  // 13.5 to even
  EXPECT_EQ(first[0].tip, "Rest auf C: \xBBSYSTEM\xAB 50,0 GB = 50%");
  EXPECT_EQ(first[1].id, 2u);
  EXPECT_EQ(first[1].picture, 7);  // 6.75
  EXPECT_EQ(first[1].tip, "Rest auf D: 3,0 GB = 75%");
  EXPECT_EQ(disks.labelReads, (std::vector<std::string>{"C:\\", "D:\\"}));
  // By letter: as read, and waiting for a drive not monitored.
  EXPECT_EQ(cycle.ReadingOf('D').freeBytes, 3.0 * kGB);
  EXPECT_EQ(cycle.ReadingOf('E').state, DriveReading::State::Waiting);

  disks.labelReads.clear();
  disks.exCalls.clear();
  EXPECT_TRUE(Tick().empty());
  EXPECT_TRUE(Tick().empty());
  EXPECT_TRUE(disks.labelReads.empty());
  EXPECT_EQ(disks.exCalls.size(), 4u);  // still one query per drive per tick
  EXPECT_EQ(system.beeps, 0);
}

// Pictures made anew (at another size or in another look) go to every icon at once, each
// with the picture the last cycle chose for it and its tooltip.
TEST_F(CheckCycleTest, PicturesMadeAnewAreSentWithWhatEachIconShows) {
  Monitor("CD");
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.Set("D:", 5 * kMB, 20 * kMB);  // in the alarm
  const auto shown = Tick();
  for (std::size_t i = 0; i < icons.size(); ++i) icons[i] = 2000 + i;
  shell.requests.clear();
  view.ShowPicturesAgain(drives.DriveCount);
  ASSERT_EQ(shell.requests.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& sent = shell.requests[i];
    EXPECT_EQ(std::make_tuple(sent.message, sent.record.uID, sent.record.hIcon, sent.Tip()),
              std::make_tuple(kNimModify, shown[i].id, 2000u + shown[i].picture, shown[i].tip));
  }
}

TEST_F(CheckCycleTest, OneByteMoreOrLessIsSentInTheNextCycle) {
  Monitor("C");
  disks.Set("C:", 5 * kGB, 10 * kGB);
  Tick();
  disks.Set("C:", 5 * kGB - 1, 10 * kGB);
  const auto sent = Tick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].tip, "Rest auf C: 5,0 GB = 50%");
}

TEST_F(CheckCycleTest, LimitIsStrictlyBelowTheLimitInBytes) {
  Monitor("CD");
  disks.Set("C:", 10485759, 100 * kMB);  // one byte below 10 MB
  disks.Set("D:", 10485760, 100 * kMB);  // exactly 10 MB
  auto sent = Tick();                    // alarm phase
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].picture, kIconAlarm);
  EXPECT_EQ(sent[1].picture, 24);  // 90% used: 24.3, and no alarm
  EXPECT_EQ(system.beeps, 2);      // after C: and again after D:
}

TEST_F(CheckCycleTest, LowDriveAlternatesAlarmAndFillPictureAndKeepsItsTooltip) {
  Monitor("C");
  disks.Set("C:", 5 * kMB, 20 * kMB);
  const std::string tip = "Rest auf C: 5,0 MB = 25%";
  std::vector<int> pictures;
  for (int tick = 0; tick < 4; ++tick) {
    const auto sent = Tick();
    ASSERT_EQ(sent.size(), 1u) << "tick " << tick;
    EXPECT_EQ(sent[0].tip, tip);
    pictures.push_back(sent[0].picture);
  }
  EXPECT_EQ(pictures, (std::vector<int>{kIconAlarm, 20, kIconAlarm, 20}));
  EXPECT_EQ(system.beeps, 2);  // only in the two alarm phases
}

TEST_F(CheckCycleTest, UnreadableDriveAlternatesAlarmAndQuestionMark) {
  Monitor("A");
  std::vector<int> pictures;
  for (int tick = 0; tick < 4; ++tick) {
    const auto sent = Tick();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].tip, "Fehler: Von A: kann nicht gelesen werden.");
    pictures.push_back(sent[0].picture);
  }
  EXPECT_EQ(pictures, (std::vector<int>{kIconAlarm, kIconUnreadable, kIconAlarm, kIconUnreadable}));
  EXPECT_EQ(system.beeps, 2);
}

TEST_F(CheckCycleTest, AlarmOfTheFirstDriveBeepsAfterEachLaterDriveOnlyInTheAlarmPhase) {
  Monitor("CD");
  disks.Set("C:", 1 * kMB, 100 * kMB);
  disks.Set("D:", 50 * kGB, 100 * kGB);
  Tick();
  EXPECT_EQ(system.beeps, 2);
  Tick();
  EXPECT_EQ(system.beeps, 2);
  Tick();
  EXPECT_EQ(system.beeps, 4);
}

TEST_F(CheckCycleTest, CycleReturnsWhatChangedInListOrderWithTheBeepAfterEachDrive) {
  Monitor("CDE");
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.Set("D:", 1 * kMB, 100 * kMB);
  disks.Set("E:", 50 * kGB, 100 * kGB);
  cycle.UpdateIcons();  // all three sent; D: alarms
  // D: below the limit cleared the table: every drive is sent again.
  const std::vector<IconUpdate> quiet = cycle.UpdateIcons();  // the phase without the alarm
  ASSERT_EQ(quiet.size(), 3u);
  EXPECT_EQ(quiet[1].iconId, 2u);
  EXPECT_TRUE(quiet[1].send && !quiet[1].beep);
  EXPECT_EQ(quiet[1].picture, 27);
  const std::vector<IconUpdate> alarm = cycle.UpdateIcons();
  ASSERT_EQ(alarm.size(), 3u);
  EXPECT_EQ(alarm[1].picture, kIconAlarm);
  EXPECT_EQ(alarm[1].tip, "Rest auf D: 1,0 MB = 1%");
  EXPECT_EQ((std::vector<bool>{alarm[0].beep, alarm[1].beep, alarm[2].beep}),
            (std::vector<bool>{false, true, true}));
  EXPECT_EQ(system.beeps, 0);  // the cycle decides; the view beeps
}

TEST_F(CheckCycleTest, ADriveFallingBelowTheLimitNotifiesOnceFromItsIconWhenWanted) {
  Monitor("CD");
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.Set("D:", 50 * kGB, 100 * kGB);
  view.UpdateIcons();
  disks.Set("D:", 5 * kMB, 100 * kGB, "DATEN");
  view.UpdateIcons();
  view.UpdateIcons();
  ASSERT_EQ(shell.notices.size(), 1u);
  EXPECT_EQ(shell.notices[0].uID, 2u);
  EXPECT_EQ(shell.notices[0].title, u"Laufwerk D: ist fast voll");
  EXPECT_EQ(shell.notices[0].text,
            u"\u00BBDATEN\u00AB: Nur noch 5,0 MB frei (Alarmgrenze: 10 MB).");
  // Notifications off: the crossing after a new limit is followed, but nothing is shown; the
  // log hears of it all the same.
  view.SetAlarm(20, true, false);
  view.UpdateIcons();
  EXPECT_EQ(shell.notices.size(), 1u);
  // Back on: no late notice for the drive that has long been low.
  view.NotifyEnabled = true;
  view.UpdateIcons();
  EXPECT_EQ(shell.notices.size(), 1u);
  // Back above the limit is only logged; with the log off by policy nothing is.
  disks.Set("D:", 50 * kGB, 100 * kGB);
  view.UpdateIcons();
  view.LogEnabled = false;
  disks.Set("D:", 5 * kMB, 100 * kGB);
  view.UpdateIcons();
  EXPECT_EQ(shell.notices.size(), 2u);
  ASSERT_EQ(eventLog.events.size(), 3u);
  EXPECT_EQ(eventLog.events[1].strings[4], "20 MB");
  EXPECT_EQ(eventLog.events[2].id, 1001u);
}

TEST_F(CheckCycleTest, AnEarlyNoticeNamesWhereTheDriveGrowsWhenTheScansSayIt) {
  Monitor("D");
  disks.Set("D:", 50 * kGB, 100 * kGB);
  DriveLevels early{};
  early[3] = DriveLevel{60, DriveLevel::Unit::Percent};
  view.SetDriveLevels({}, early);
  struct : GrowthFolders {
    std::string GrowthFolderOf(std::int32_t drive) override {
      return drive == 4 ? "D:\\Export" : "";
    }
  } growth;
  view.Growth = &growth;
  EXPECT_FALSE(view.LastNoticeAboutSpace(1));
  view.UpdateIcons();
  ASSERT_EQ(shell.notices.size(), 1u);
  EXPECT_EQ(shell.notices[0].text,
            u"Nur noch 50,0 GB frei (Vorwarnung: 60 % = 60,0 GB). W\u00E4chst vor allem in "
            u"D:\\Export.");
  EXPECT_TRUE(view.LastNoticeAboutSpace(1));
}

TEST_F(CheckCycleTest, TheLimitHandedOverIsHeldWithinTheSlidersRange) {
  const struct {
    double given, held;
  } cases[] = {{10.4, 10.4}, {-0.0, 1}, {0.5, 1}, {1e300, 1000}, {std::nan(""), 10}};
  for (const auto& c : cases) {
    view.SetAlarm(c.given, true, true);
    EXPECT_EQ(cycle.MemoryLimit, c.held) << c.given;
  }
}

TEST_F(CheckCycleTest, AlarmWithoutSoundIsSilent) {
  cycle.AlarmSoundEnabled = 0;
  Monitor("CA");
  disks.Set("C:", 1 * kMB, 100 * kMB);
  Tick();
  Tick();
  Tick();
  EXPECT_EQ(system.beeps, 0);
}

TEST_F(CheckCycleTest, AlarmRecomputesEveryDriveAfterIt_AndAllInTheNextCycle) {
  Monitor("CDE");
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.Set("D:", 1 * kMB, 100 * kMB);
  disks.Set("E:", 50 * kGB, 100 * kGB);
  EXPECT_EQ(Tick().size(), 3u);
  // While D: stays low every icon is re-sent on every tick.
  EXPECT_EQ(Tick().size(), 3u);
  EXPECT_EQ(Tick().size(), 3u);
  EXPECT_EQ(drives.PrevFreeBytes[0], -1);
  // D: recovers. C: was cleared by D: in the last cycle and D: changed; E: was measured after
  // that clear and is unchanged. Then it's quiet.
  disks.Set("D:", 50 * kGB, 100 * kGB);
  const auto sent = Tick();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].id, 1u);
  EXPECT_EQ(sent[1].id, 2u);
  EXPECT_TRUE(Tick().empty());
}

TEST_F(CheckCycleTest, DriveThatComesBackIsRecomputedAtOnce) {
  Monitor("CQ");
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.Set("Q:", 15 * kMB, 20 * kMB);
  Tick();
  disks.Fail("Q:");
  auto sent = Tick();  // normal phase
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].id, 2u);
  EXPECT_EQ(sent[0].picture, kIconUnreadable);
  disks.drives["Q:"].ok = true;
  sent = Tick();
  ASSERT_EQ(sent.size(), 2u);  // C: too: Q: cleared the table
  EXPECT_EQ(sent[1].picture, 7);
  EXPECT_EQ(sent[1].tip, "Rest auf Q: 15,0 MB = 75%");
}

TEST_F(CheckCycleTest, UnitsDoNotCarryOverFromTheDriveBefore) {
  Monitor("CD");
  disks.Set("C:", 100 * kGB, 200 * kGB);
  disks.Set("D:", 512, 4096);
  const auto sent = Tick();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1].tip, "Rest auf D: 512,0 Byte = 13%");
}

TEST_F(CheckCycleTest, DriveWithoutSizeCountsAsUnreadable) {
  Monitor("C");
  disks.Set("C:", 0, 0);
  auto sent = Tick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].picture, kIconAlarm);
  EXPECT_EQ(sent[0].tip, "Fehler: Von C: kann nicht gelesen werden.");
  sent = Tick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].picture, kIconUnreadable);
}

TEST_F(CheckCycleTest, FullDriveInTheFirstCycleGetsItsRealTooltip) {
  Monitor("C");
  disks.Set("C:", 0, 100 * kMB);
  auto sent = Tick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].picture, kIconAlarm);
  EXPECT_EQ(sent[0].tip, "Rest auf C: 0,0 Byte = 0%");
  sent = Tick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].picture, 27);
}

TEST_F(CheckCycleTest, FullDriveWithNoLimitIsNotSentInTheFirstCycle) {
  cycle.MemoryLimit = 0;
  Monitor("C");
  disks.Set("C:", 0, 100 * kMB);
  EXPECT_TRUE(Tick().empty());
}

TEST_F(CheckCycleTest, LongTooltipIsCutByTheTrayNotByTheCycle) {
  Monitor("C");
  disks.Set("C:", 5 * kGB, 10 * kGB, std::string(60, 'L'));
  const auto sent = Tick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].tip.size(), 63u);
  EXPECT_EQ(sent[0].tip,
            ("Rest auf C: \xBB" + std::string(60, 'L') + "\xAB 5,0 GB = 50%").substr(0, 63));
}

TEST_F(CheckCycleTest, BlinkPhaseFlipsEveryCycleEvenWithoutDrives) {
  EXPECT_EQ(cycle.BlinkPhase, 0);
  view.UpdateIcons();
  EXPECT_EQ(cycle.BlinkPhase, 1);
  view.UpdateIcons();
  EXPECT_EQ(cycle.BlinkPhase, 0);
  EXPECT_TRUE(shell.requests.empty());
}

TEST_F(CheckCycleTest, ClearForgetsEverySlotWhateverTheCount) {
  drives.DriveCount = 1;
  cycle.ClearVorigerFreierSpeicher();
  for (const double prev : drives.PrevFreeBytes) EXPECT_EQ(prev, -1);
}

TEST_F(CheckCycleTest, OlderCallServesTheCycleWhenTheNewerIsMissing) {
  freeSpace.OSFat32Support = 0;
  cycle.MemoryLimit = 1;
  Monitor("C");
  disks.clusterAnswer = {true, 8, 512, 1000, 5000};
  const auto sent = Tick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].tip, "Rest auf C: 3,9 MB = 20%");
  EXPECT_EQ(sent[0].picture, 22);  // 21.6
  EXPECT_TRUE(disks.exCalls.empty());
}

}  // namespace
}  // namespace quenora
