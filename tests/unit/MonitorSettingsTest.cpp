#include "settings/MonitorSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fakes.h"
#include "SettingsFakes.h"
#include "ui/TrayView.h"

namespace quenora {
namespace {

using testing::FakeDiskSpace;
using testing::FakeNotifyArea;
using testing::FakeOptionsControls;
using testing::FakeRegistry;
using testing::FakeSystem;

class MonitorSettingsTest : public ::testing::Test {
 protected:
  MonitorSettingsTest() {
    for (int i = 0; i < kTrayPictureCount; ++i) icons[static_cast<std::size_t>(i)] = 1000 + i;
  }

  // The monitored drives by position ("DC").
  std::string Monitored() const {
    std::string letters;
    for (int p = 0; p < drives.DriveCount; ++p) {
      letters += DriveName(drives.DriveNumbers[static_cast<std::size_t>(p)])[0];
    }
    return letters;
  }

  // Checks that the shell got exactly one add per position, numbered 1..n, each with the
  // unreadable picture and no tooltip, and nothing else.
  void ExpectAddsForEveryPosition() const {
    ASSERT_EQ(shell.requests.size(), static_cast<std::size_t>(drives.DriveCount));
    for (std::size_t i = 0; i < shell.requests.size(); ++i) {
      EXPECT_EQ(shell.requests[i].message, kNimAdd);
      EXPECT_EQ(shell.requests[i].record.uID, i + 1);
      EXPECT_EQ(shell.requests[i].record.hIcon, 1000u + kIconUnreadable);
      EXPECT_EQ(shell.requests[i].Tip(), "");
    }
  }

  // Reads with DriveList as stored (or absent), saves at once and returns what was saved.
  std::string ReadThenSavedDriveList() {
    settings.ReadSettings();
    settings.WriteSettings();
    return registry.Get("DriveList").value_or("(absent)");
  }

  FakeRegistry registry;
  SettingsStore store{registry};
  FakeOptionsControls controls;
  FakeDiskSpace disks;
  FakeNotifyArea shell;
  FakeSystem system;
  DriveTable drives;
  IconImages icons{};
  FreeSpace freeSpace{disks, system};
  TrayIconSet tray{shell, system};
  CheckCycle cycle{drives, freeSpace, disks, system};
  TrayView view{cycle, tray, system, icons};
  MonitorSettings settings{store, controls, view};
};

TEST_F(MonitorSettingsTest, EmptyStoreGivesTheDefaultsAndMonitorsC) {
  cycle.MemoryLimit = 0;
  cycle.AlarmSoundEnabled = 0;
  settings.ReadSettings();
  EXPECT_EQ(controls.intervalSlider, 10);
  EXPECT_EQ(controls.timerInterval, 10000u);
  EXPECT_EQ(controls.intervalLabel, "10 Sekunden");
  EXPECT_EQ(controls.limitSlider, 10);
  EXPECT_EQ(controls.limitLabel, "10 Mbyte");
  EXPECT_EQ(cycle.MemoryLimit, 10);
  EXPECT_EQ(cycle.AlarmSoundEnabled, 1);
  EXPECT_EQ(controls.check1, 1);
  EXPECT_EQ(Monitored(), "C");
  ExpectAddsForEveryPosition();
  ASSERT_EQ(controls.lv.size(), 3u);
  EXPECT_EQ(controls.lv[0].text, "C: [SYSTEM]");
  EXPECT_EQ(controls.lv[1].text, "D:");
  EXPECT_EQ(controls.lv[2].text, "E: [DATEN]");
  EXPECT_EQ(controls.CheckedLetters(), "C");
  EXPECT_EQ(registry.writes, 0);
  EXPECT_TRUE(controls.timerSwitches.empty());  // the timer is the apply's business
}

TEST_F(MonitorSettingsTest, StoredOrderFixesPositionsAndSavingWritesListOrder) {
  registry.Set("DriveList", "dc");
  EXPECT_EQ(ReadThenSavedDriveList(), "CD");
  EXPECT_EQ(Monitored(), "DC");
  ExpectAddsForEveryPosition();
  EXPECT_EQ(controls.CheckedLetters(), "CD");
}

TEST_F(MonitorSettingsTest, RepeatedLetterIsMonitoredTwiceAndSavedOnce) {
  registry.Set("DriveList", "CC");
  EXPECT_EQ(ReadThenSavedDriveList(), "C");
  EXPECT_EQ(Monitored(), "CC");
  ExpectAddsForEveryPosition();
  EXPECT_EQ(controls.CheckedLetters(), "C");
}

TEST_F(MonitorSettingsTest, LetterOfAnAbsentDriveIsDroppedAtTheNextSave) {
  registry.Set("DriveList", "EQC");  // Q: is a card reader that was taken out
  EXPECT_EQ(ReadThenSavedDriveList(), "CE");
  EXPECT_EQ(Monitored(), "EC");
  ExpectAddsForEveryPosition();
}

TEST_F(MonitorSettingsTest, NoDriveCheckedIsStoredEmptyAndReadBackAsC) {
  registry.Set("DriveList", "DE");
  settings.ReadSettings();
  for (auto& entry : controls.lv) entry.checked = false;
  settings.WriteSettings();
  EXPECT_EQ(registry.Get("DriveList"), "");
  shell.requests.clear();
  settings.ReadSettings();
  EXPECT_EQ(Monitored(), "C");
  ExpectAddsForEveryPosition();
  EXPECT_EQ(controls.CheckedLetters(), "C");
}

TEST_F(MonitorSettingsTest, WithoutDriveCNothingIsMonitoredByDefault) {
  controls.driveListBox = {"a:", "d: [DATEN]"};
  for (const char* stored : {"(absent)", "", "C"}) {
    SCOPED_TRACE(stored);
    registry.values.clear();
    if (std::string(stored) != "(absent)") registry.Set("DriveList", stored);
    settings.ReadSettings();
    EXPECT_EQ(drives.DriveCount, 0);
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_EQ(controls.CheckedLetters(), "");
    EXPECT_EQ(controls.lv.size(), 2u);
  }
}

TEST_F(MonitorSettingsTest, EachReadRebuildsTheListAndAddsWithoutRemoving) {
  registry.Set("DriveList", "CD");
  settings.ReadSettings();
  registry.Set("DriveList", "E");
  settings.ReadSettings();
  EXPECT_EQ(controls.lv.size(), 3u);
  EXPECT_EQ(controls.CheckedLetters(), "E");
  EXPECT_EQ(Monitored(), "E");
  // Removing the old icons is left to the caller: three adds, no delete.
  ASSERT_EQ(shell.requests.size(), 3u);
  for (const auto& request : shell.requests) EXPECT_EQ(request.message, kNimAdd);
  EXPECT_EQ(shell.requests[2].record.uID, 1u);
}

TEST_F(MonitorSettingsTest, SavingStoresTheControlsAndChangesNothingElse) {
  registry.Set("MemoryLimit", "10.4");
  settings.ReadSettings();
  EXPECT_EQ(cycle.MemoryLimit, 10.4);
  EXPECT_EQ(controls.limitSlider, 10);
  registry.Set("DoneBefore", "0");
  settings.WriteSettings();
  EXPECT_EQ(registry.Get("MemoryLimit"), "10");
  EXPECT_EQ(registry.Get("DoneBefore"), "1");

  controls.intervalSlider = 30;
  controls.limitSlider = 500;
  controls.check1 = 0;
  controls.lv[0].checked = false;
  controls.lv[2].checked = true;
  shell.requests.clear();
  const int reads = registry.reads;
  settings.WriteSettings();
  EXPECT_EQ(registry.Get("TimerInterval"), "30");
  EXPECT_EQ(registry.Get("MemoryLimit"), "500");
  EXPECT_EQ(registry.Get("AlarmSoundEnabled"), "0");
  EXPECT_EQ(registry.Get("DriveList"), "E");
  EXPECT_EQ(registry.Get("DoneBefore"), "1");
  EXPECT_EQ(registry.values.size(), 5u);
  EXPECT_EQ(registry.reads, reads);
  // The running program goes on with the values of the last read.
  EXPECT_EQ(cycle.MemoryLimit, 10.4);
  EXPECT_EQ(cycle.AlarmSoundEnabled, 1);
  EXPECT_EQ(controls.timerInterval, 10000u);
  EXPECT_EQ(Monitored(), "C");
  EXPECT_TRUE(shell.requests.empty());
}

TEST_F(MonitorSettingsTest, NumbersEditedByHandAreClampedOrDefaulted) {
  struct Case {
    const char* key;
    const char* text;
    int interval;
    double limit;
    int limitSlider;
    int sound;
  };
  const Case cases[] = {
      {"TimerInterval", "abc", 10, 10, 10, 1},    {"TimerInterval", "", 10, 10, 10, 1},
      {"TimerInterval", "0", 1, 10, 10, 1},       {"TimerInterval", "-5", 1, 10, 10, 1},
      {"TimerInterval", "999", 60, 10, 10, 1},    {"TimerInterval", "1e400", 10, 10, 10, 1},
      {"TimerInterval", "30.5", 30, 10, 10, 1},   {"TimerInterval", "31,5", 32, 10, 10, 1},
      {"TimerInterval", " 45 ", 45, 10, 10, 1},   {"MemoryLimit", "0", 10, 1, 1, 1},
      {"MemoryLimit", "0.5", 10, 1, 1, 1},        {"MemoryLimit", "5000", 10, 1000, 1000, 1},
      {"MemoryLimit", "10.5", 10, 10.5, 10, 1},   {"MemoryLimit", "999,6", 10, 999.6, 1000, 1},
      {"MemoryLimit", "nan", 10, 10, 10, 1},      {"AlarmSoundEnabled", "0", 10, 10, 10, 0},
      {"AlarmSoundEnabled", "-0", 10, 10, 10, 0}, {"AlarmSoundEnabled", "abc", 10, 10, 10, 1},
      {"AlarmSoundEnabled", "-1", 10, 10, 10, 1}, {"AlarmSoundEnabled", "70000", 10, 10, 10, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " \"" + c.text + "\"");
    registry.values.clear();
    registry.Set(c.key, c.text);
    settings.ReadSettings();
    EXPECT_EQ(controls.intervalSlider, c.interval);
    EXPECT_EQ(controls.timerInterval, 1000u * static_cast<unsigned>(c.interval));
    EXPECT_EQ(controls.intervalLabel, IntervalDisplayText(c.interval));
    EXPECT_EQ(cycle.MemoryLimit, c.limit);
    EXPECT_EQ(controls.limitSlider, c.limitSlider);
    EXPECT_EQ(controls.limitLabel, LimitDisplayText(c.limitSlider));
    EXPECT_EQ(cycle.AlarmSoundEnabled, c.sound);
    EXPECT_EQ(controls.check1, c.sound);
  }
}

TEST_F(MonitorSettingsTest, DriveListEditedByHandKeepsOnlyItsDriveLetters) {
  controls.driveListBox = {"c:", "d:", "e:"};
  struct Case {
    std::string stored, monitored, checked;
  };
  const Case cases[] = {
      {"c1!d", "CD", "CD"},
      {"e, d", "ED", "DE"},
      {"123", "C", "C"},
      {"@[`{", "C", "C"},     // next to 'A' and 'Z': no drive numbers 0 or 27
      {"\u00C4C", "C", "C"},  // an umlaut in UTF-8
      {"\u00E4\u00E9", "C", "C"},
      {std::string(27, 'C'), std::string(26, 'C'), "C"},
      {std::string(20, 'D') + "CE" + std::string(10, 'D'), std::string(20, 'D') + "CE" + "DDDD",
       "CDE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    registry.values.clear();
    registry.Set("DriveList", c.stored);
    shell.requests.clear();
    settings.ReadSettings();
    EXPECT_EQ(Monitored(), c.monitored);
    ExpectAddsForEveryPosition();
    EXPECT_EQ(controls.CheckedLetters(), c.checked);
  }
}

}  // namespace
}  // namespace quenora
