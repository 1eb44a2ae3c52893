#include "ui/ApplyOptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "Fakes.h"
#include "SettingsFakes.h"

namespace quenora {
namespace {

using testing::FakeDiskSpace;
using testing::FakeLogicalDrives;
using testing::FakeNotifyArea;
using testing::FakeRegistry;
using testing::FakeSystem;
using testing::Joined;
using testing::Journal;

constexpr std::uint64_t kGB = 1073741824;

// The shell's requests as entries of the shared journal: "add 1", "modify 2", "delete 1".
class JournalNotifyArea : public FakeNotifyArea {
 public:
  explicit JournalNotifyArea(Journal& journal) : journal_(journal) {}
  bool ShellNotifyIcon(std::uint32_t message, const NotifyIconRecord& record) override {
    const char* const names[] = {"add ", "modify ", "delete "};
    journal_.push_back(names[message] + std::to_string(record.uID));
    return FakeNotifyArea::ShellNotifyIcon(message, record);
  }

 private:
  Journal& journal_;
};

// Timer1 as plain values; every switching and interval goes to the journal.
class FakeCheckTimer : public CheckTimer {
 public:
  explicit FakeCheckTimer(Journal& journal) : journal_(journal) {}
  void SetTimer1Interval(unsigned milliseconds) override {
    interval = milliseconds;
    journal_.push_back("interval " + std::to_string(milliseconds));
  }
  void SetTimer1Enabled(bool enabled) override {
    this->enabled = enabled;
    switches.push_back(enabled);
    journal_.push_back(enabled ? "timer on" : "timer off");
  }

  unsigned interval = 10000;
  bool enabled = true;
  std::vector<bool> switches;  // every switching, in order

 private:
  Journal& journal_;
};

class ApplyOptionsTest : public ::testing::Test {
 protected:
  // The program as it runs after its start: C: monitored, one cycle done.
  ApplyOptionsTest() {
    for (int i = 0; i < kTrayPictureCount; ++i) icons[static_cast<std::size_t>(i)] = 1000 + i;
    freeSpace.OSFat32Support = -1;
    disks.Set("C:", 50 * kGB, 100 * kGB, "SYSTEM");
    disks.Set("D:", 3 * kGB, 4 * kGB);
    disks.Set("E:", 1 * kGB, 4 * kGB);
    logicalDrives.drives = {{'C', {DriveType::Fixed, "SYSTEM"}},
                            {'D', {DriveType::Fixed, ""}},
                            {'E', {DriveType::Fixed, "DATEN"}}};
    settings.ReadSettings(options);
    view.UpdateIcons();
    registry.journal = &journal;
    journal.clear();
  }

  void Apply() { DoOptionsUebernehmen(options, timer, settings, tray, cycle, view); }

  Journal journal;
  FakeRegistry registry;
  SettingsStore store{registry};
  OptionsValues options;
  FakeCheckTimer timer{journal};
  FakeLogicalDrives logicalDrives;
  const std::shared_ptr<FakeDiskSpace> diskService = std::make_shared<FakeDiskSpace>();
  FakeDiskSpace& disks = *diskService;
  JournalNotifyArea shell{journal};
  FakeSystem system;
  DriveTable drives;
  IconImages icons{};
  FreeSpace freeSpace{disks, system};
  TrayIconSet tray{shell, system};
  CheckCycle cycle{drives, freeSpace, diskService, system};
  TrayView view{cycle, tray, system, icons};
  MonitorSettings settings{store, logicalDrives, view};
};

TEST_F(ApplyOptionsTest, NewOptionsAreStoredThenTheIconsRebuiltWhileTheTimerIsOff) {
  options.timerInterval = 30;
  options.drives[1].checked = true;  // D: added
  Apply();
  EXPECT_EQ(Joined(journal),
            "timer off | "
            "write DoneBefore=1 | write MemoryLimit=10 | write TimerInterval=30 | "
            "write AlarmSoundEnabled=1 | write AlarmNotifyEnabled=1 | write DriveLimits= | "
            "write DriveWarnings= | write DriveList=CD | "
            "delete 1 | "
            "add 1 | add 2 | interval 30000 | "
            "modify 1 | modify 2 | "
            "timer on");
  EXPECT_TRUE(timer.enabled);
  EXPECT_EQ(timer.interval, 30000u);
  // Right after the apply every icon shows its drive's real state.
  const auto& requests = shell.requests;
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[requests.size() - 2].Tip(), "Rest auf C: \xBBSYSTEM\xAB 50,0 GB = 50%");
  EXPECT_EQ(requests[requests.size() - 2].record.hIcon, 1014u);
  EXPECT_EQ(requests.back().Tip(), "Rest auf D: 3,0 GB = 75%");
  EXPECT_EQ(requests.back().record.hIcon, 1007u);
}

TEST_F(ApplyOptionsTest, UnchangedOptionsAreStoredAgainAndEveryIconRebuilt) {
  options.drives[2].checked = true;
  Apply();
  view.UpdateIcons();  // a quiet tick: nothing changed on the drives
  journal.clear();
  registry.values.clear();
  Apply();
  EXPECT_EQ(Joined(journal),
            "timer off | "
            "write DoneBefore=1 | write MemoryLimit=10 | write TimerInterval=10 | "
            "write AlarmSoundEnabled=1 | write AlarmNotifyEnabled=1 | write DriveLimits= | "
            "write DriveWarnings= | write DriveList=CE | "
            "delete 1 | delete 2 | "
            "add 1 | add 2 | interval 10000 | "
            "modify 1 | modify 2 | "
            "timer on");
}

TEST_F(ApplyOptionsTest, RefusedWritesStillEndWithTheStoredIconsAndTheTimerOn) {
  registry.failWrites = true;
  options.timerInterval = 30;
  options.drives[0].checked = false;
  options.drives[1].checked = true;
  Apply();
  // Nothing could be stored, so the reload brings back what was stored before.
  EXPECT_EQ(timer.switches, (std::vector<bool>{false, true}));
  EXPECT_EQ(options.timerInterval, 10);
  EXPECT_EQ(timer.interval, 10000u);
  EXPECT_EQ(drives.DriveCount, 1);
  EXPECT_EQ(journal.back(), "timer on");
  EXPECT_EQ(journal[journal.size() - 4], "add 1");
  EXPECT_EQ(journal[journal.size() - 3], "interval 10000");
  EXPECT_EQ(journal[journal.size() - 2], "modify 1");
}

TEST_F(ApplyOptionsTest, ApplyThatFailsInAStepSwitchesTheTimerOnAgain) {
  registry.throwOnWrite = true;
  EXPECT_THROW(Apply(), std::runtime_error);
  EXPECT_EQ(timer.switches, (std::vector<bool>{false, true}));
  EXPECT_EQ(Joined(journal), "timer off | timer on");
}

TEST_F(ApplyOptionsTest, ApplyThatFailsAfterRemovingTheIconsLeavesNoPositionsBehind) {
  logicalDrives.throwOnList = true;
  EXPECT_THROW(Apply(), std::runtime_error);
  // The icon is gone, and so is its position: nothing would add it again or open its drive.
  EXPECT_EQ(Joined(journal),
            "timer off | write DoneBefore=1 | write MemoryLimit=10 | "
            "write TimerInterval=10 | write AlarmSoundEnabled=1 | write AlarmNotifyEnabled=1 | "
            "write DriveLimits= | write DriveWarnings= | write DriveList=C | delete 1 | timer on");
  EXPECT_EQ(drives.DriveCount, 0);
}

}  // namespace
}  // namespace quenora
