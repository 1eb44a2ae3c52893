#include "settings/MonitorSettings.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Fakes.h"
#include "RegistryCallsFake.h"
#include "SettingsFakes.h"
#include "ui/TrayView.h"

namespace quenora {
namespace {

using testing::FakeDiskSpace;
using testing::FakeLogicalDrives;
using testing::FakeNotifyArea;
using testing::FakeRegistry;
using testing::FakeSystem;

class MonitorSettingsTest : public ::testing::Test {
 protected:
  MonitorSettingsTest() {
    for (int i = 0; i < kTrayPictureCount; ++i) icons[static_cast<std::size_t>(i)] = 1000 + i;
    logicalDrives.drives = {{'C', {DriveType::Fixed, "SYSTEM"}},
                            {'D', {DriveType::Fixed, ""}},
                            {'E', {DriveType::Fixed, "DATEN"}}};
  }

  // The drive list's checked entries by first letter, in list order ("CD").
  std::string CheckedLetters() const {
    std::string letters;
    for (const DriveEntry& entry : options.drives) {
      if (entry.checked) letters.push_back(entry.text.empty() ? '?' : entry.text[0]);
    }
    return letters;
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
    settings.ReadSettings(options);
    settings.WriteSettings(options);
    return registry.Get("DriveList").value_or("(absent)");
  }

  FakeRegistry registry;
  SettingsStore store{registry};
  OptionsValues options;
  FakeLogicalDrives logicalDrives;
  const std::shared_ptr<FakeDiskSpace> diskService = std::make_shared<FakeDiskSpace>();
  FakeDiskSpace& disks = *diskService;
  FakeNotifyArea shell;
  FakeSystem system;
  DriveTable drives;
  IconImages icons{};
  FreeSpace freeSpace{disks, system};
  TrayIconSet tray{shell, system};
  CheckCycle cycle{drives, freeSpace, diskService, system};
  TrayView view{cycle, tray, system, icons};
  MonitorSettings settings{store, logicalDrives, view};
};

TEST_F(MonitorSettingsTest, EmptyStoreGivesTheDefaultsAndMonitorsC) {
  cycle.MemoryLimit = 0;
  cycle.AlarmSoundEnabled = 0;
  options = {0, 0, false, false, {{"X:", true}}, true};
  settings.ReadSettings(options);
  EXPECT_EQ(options.timerInterval, 10);
  EXPECT_EQ(options.memLimit, 10);
  EXPECT_EQ(cycle.MemoryLimit, 10);
  EXPECT_EQ(cycle.AlarmSoundEnabled, 1);
  EXPECT_TRUE(options.alarmSound);
  EXPECT_TRUE(options.alarmNotify);
  EXPECT_EQ(Monitored(), "C");
  ExpectAddsForEveryPosition();
  ASSERT_EQ(options.drives.size(), 3u);
  EXPECT_EQ(options.drives[0].text, "C: [SYSTEM]");
  EXPECT_EQ(options.drives[1].text, "D:");
  EXPECT_EQ(options.drives.at(2).text, "E: [DATEN]");
  EXPECT_EQ(CheckedLetters(), "C");
  EXPECT_EQ(registry.writes, 0);
  EXPECT_TRUE(options.autoStart);  // the autostart box isn't a stored setting
}

TEST_F(MonitorSettingsTest, IconsComeBeforeTheDrivesAreDescribed) {
  // A drive's type and label are asked of the system once every icon is in the tray: a label
  // may have to wait for a disk to spin up, and the icons don't wait for it.
  struct WatchedDrives : FakeLogicalDrives {
    explicit WatchedDrives(const FakeNotifyArea& shell) : shell(shell) {}
    DriveType TypeOfDrive(std::string_view rootPath) override {
      iconsWhenAsked.push_back(shell.requests.size());
      return FakeLogicalDrives::TypeOfDrive(rootPath);
    }
    std::string VolumeLabel(std::string_view rootPath) override {
      iconsWhenAsked.push_back(shell.requests.size());
      return FakeLogicalDrives::VolumeLabel(rootPath);
    }
    const FakeNotifyArea& shell;
    std::vector<std::size_t> iconsWhenAsked;
  } watched{shell};
  watched.drives = logicalDrives.drives;
  MonitorSettings watchedSettings{store, watched, view};
  registry.Set("DriveList", "EC");
  watchedSettings.ReadSettings(options);
  ExpectAddsForEveryPosition();
  ASSERT_EQ(shell.requests.size(), 2u);
  // Three local disks: a type and a label each, all asked after the two icons.
  EXPECT_EQ(watched.iconsWhenAsked, std::vector<std::size_t>(6, 2u));
  EXPECT_EQ(options.drives.at(2).text, "E: [DATEN]");
}

TEST_F(MonitorSettingsTest, StoredOrderFixesPositionsAndSavingWritesListOrder) {
  registry.Set("DriveList", "dc");
  EXPECT_EQ(ReadThenSavedDriveList(), "CD");
  EXPECT_EQ(Monitored(), "DC");
  ExpectAddsForEveryPosition();
  EXPECT_EQ(CheckedLetters(), "CD");
}

TEST_F(MonitorSettingsTest, RepeatedLetterIsMonitoredTwiceAndSavedOnce) {
  registry.Set("DriveList", "CC");
  EXPECT_EQ(ReadThenSavedDriveList(), "C");
  EXPECT_EQ(Monitored(), "CC");
  ExpectAddsForEveryPosition();
  EXPECT_EQ(CheckedLetters(), "C");
}

TEST_F(MonitorSettingsTest, LetterOfAnAbsentDriveIsDroppedAtTheNextSave) {
  registry.Set("DriveList", "EQC");  // Q: is a card reader that was taken out
  EXPECT_EQ(ReadThenSavedDriveList(), "CE");
  EXPECT_EQ(Monitored(), "EC");
  ExpectAddsForEveryPosition();
}

TEST_F(MonitorSettingsTest, NoDriveCheckedIsStoredEmptyAndReadBackAsC) {
  registry.Set("DriveList", "DE");
  settings.ReadSettings(options);
  for (auto& entry : options.drives) entry.checked = false;
  settings.WriteSettings(options);
  EXPECT_EQ(registry.Get("DriveList"), "");
  shell.requests.clear();
  settings.ReadSettings(options);
  EXPECT_EQ(Monitored(), "C");
  ExpectAddsForEveryPosition();
  EXPECT_EQ(CheckedLetters(), "C");
}

TEST_F(MonitorSettingsTest, WithoutDriveCNothingIsMonitoredByDefault) {
  logicalDrives.drives = {{'A', {DriveType::Removable, ""}}, {'D', {DriveType::Fixed, "DATEN"}}};
  for (const char* stored : {"(absent)", "", "C"}) {
    SCOPED_TRACE(stored);
    registry.values.clear();
    if (std::string(stored) != "(absent)") registry.Set("DriveList", stored);
    settings.ReadSettings(options);
    EXPECT_EQ(drives.DriveCount, 0);
    EXPECT_TRUE(shell.requests.empty());
    EXPECT_EQ(CheckedLetters(), "");
    EXPECT_EQ(options.drives.size(), 2u);
  }
}

TEST_F(MonitorSettingsTest, EachReadRebuildsTheListAndAddsWithoutRemoving) {
  registry.Set("DriveList", "CD");
  settings.ReadSettings(options);
  registry.Set("DriveList", "E");
  settings.ReadSettings(options);
  EXPECT_EQ(options.drives.size(), 3u);
  EXPECT_EQ(CheckedLetters(), "E");
  EXPECT_EQ(Monitored(), "E");
  // Removing the old icons is left to the caller: three adds, no delete.
  ASSERT_EQ(shell.requests.size(), 3u);
  for (const auto& request : shell.requests) EXPECT_EQ(request.message, kNimAdd);
  EXPECT_EQ(shell.requests[2].record.uID, 1u);
}

TEST_F(MonitorSettingsTest, SavingStoresTheControlsAndChangesNothingElse) {
  registry.Set("MemoryLimit", "10.4");
  // A level of a drive that isn't there is kept; one that can't be read is left out.
  registry.Set("DriveLimits", " q = 1,5 gb ;D=junk");
  settings.ReadSettings(options);
  EXPECT_EQ(cycle.MemoryLimit, 10.4);
  EXPECT_EQ(options.memLimit, 10);
  EXPECT_EQ(cycle.OwnLimits[16], (DriveLevel{1.5, DriveLevel::Unit::Gigabytes}));
  registry.Set("DoneBefore", "0");
  settings.WriteSettings(options);
  EXPECT_EQ(registry.Get("MemoryLimit"), "10");
  EXPECT_EQ(registry.Get("DriveLimits"), "Q=1.5GB");
  EXPECT_EQ(registry.Get("DoneBefore"), "1");

  options.timerInterval = 30;
  options.memLimit = 500;
  options.alarmSound = false;
  options.alarmNotify = false;
  options.drives[0].checked = false;
  options.drives[2].checked = true;
  options.driveWarnings[4] = DriveLevel{20, DriveLevel::Unit::Percent};
  shell.requests.clear();
  const int reads = registry.reads;
  settings.WriteSettings(options);
  EXPECT_EQ(registry.Get("TimerInterval"), "30");
  EXPECT_EQ(registry.Get("MemoryLimit"), "500");
  EXPECT_EQ(registry.Get("AlarmSoundEnabled"), "0");
  EXPECT_EQ(registry.Get("AlarmNotifyEnabled"), "0");
  EXPECT_EQ(registry.Get("DriveList"), "E");
  EXPECT_EQ(registry.Get("DoneBefore"), "1");
  EXPECT_EQ(registry.Get("DriveWarnings"), "E=20%");
  EXPECT_EQ(registry.values.size(), 8u);
  EXPECT_EQ(registry.reads, reads);
  // The running program goes on with the values of the last read.
  EXPECT_EQ(cycle.MemoryLimit, 10.4);
  EXPECT_FALSE(cycle.EarlyLevels[4]);
  EXPECT_EQ(cycle.AlarmSoundEnabled, 1);
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
    settings.ReadSettings(options);
    EXPECT_EQ(options.timerInterval, c.interval);
    EXPECT_EQ(cycle.MemoryLimit, c.limit);
    EXPECT_EQ(options.memLimit, c.limitSlider);
    EXPECT_EQ(cycle.AlarmSoundEnabled, c.sound);
    EXPECT_EQ(options.alarmSound, c.sound != 0);
  }
}

TEST_F(MonitorSettingsTest, NotificationSwitchIsOnUnlessStoredAsZeroAndWrittenAsOneOrZero) {
  const std::pair<std::string, bool> cases[] = {
      {"1", true},  {"0", false},    {"", true},     {"abc", true},
      {"-1", true}, {"1e400", true}, {" 0 ", false}, {std::string(1000, '0'), false},
  };
  for (const auto& [text, on] : cases) {
    SCOPED_TRACE(text.substr(0, 10));
    registry.values.clear();
    registry.Set("AlarmNotifyEnabled", text);
    settings.ReadSettings(options);
    EXPECT_EQ(options.alarmNotify, on);
    EXPECT_EQ(view.NotifyEnabled, on);
    settings.WriteSettings(options);
    EXPECT_EQ(registry.Get("AlarmNotifyEnabled"), on ? "1" : "0");
  }
}

TEST_F(MonitorSettingsTest, DriveListEditedByHandKeepsOnlyItsDriveLetters) {
  logicalDrives.drives = {{'C', {}}, {'D', {}}, {'E', {}}};
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
    settings.ReadSettings(options);
    EXPECT_EQ(Monitored(), c.monitored);
    ExpectAddsForEveryPosition();
    EXPECT_EQ(CheckedLetters(), c.checked);
  }
}

}  // namespace
}  // namespace quenora

namespace quenora {
namespace {

// A value fixed by policy is the one the program runs with, and the user's own stays stored
// for when the policy goes.
TEST_F(MonitorSettingsTest, PolicyValuesWinAndLeaveTheUsersOwnStored) {
  testing::FakeRegistryCalls calls;
  calls.Set(RegistryRoot::LocalMachine, kPolicyKey, "MemoryLimit", kRegSz,
            testing::Bytes(u"500"));
  calls.Set(RegistryRoot::CurrentUser, kPolicyKey, "DriveList", kRegSz, testing::Bytes(u"D"));
  Policies policies;
  policies.Read(calls);
  MonitorSettings governed{store, logicalDrives, view, &policies};
  registry.Set("MemoryLimit", "20");
  registry.Set("DriveList", "C");
  registry.Set("TimerInterval", "15");
  governed.ReadSettings(options);
  EXPECT_EQ(cycle.MemoryLimit, 500);
  EXPECT_EQ(options.memLimit, 500);
  EXPECT_EQ(options.timerInterval, 15);
  EXPECT_EQ(Monitored(), "D");
  options.timerInterval = 30;
  governed.WriteSettings(options);
  EXPECT_EQ(registry.Get("MemoryLimit"), "20");
  EXPECT_EQ(registry.Get("DriveList"), "C");
  EXPECT_EQ(registry.Get("TimerInterval"), "30");
}

}  // namespace
}  // namespace quenora
