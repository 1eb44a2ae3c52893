// Real drives under wine while the check cycle runs: a small drive that fills below the limit
// and is freed again, and a drive letter that vanishes and returns. drive_scenarios.sh plays
// the other side: it maps the small drive to Q: and removes or restores the letter when this
// program asks for it through files in QUENORA_SCENARIO_DIR.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwctype>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Fakes.h"
#include "history/HistoryPlace.h"
#include "monitor/CheckCycle.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32DiskSpace.h"
#include "platform/win32/Win32HistoryFiles.h"
#include "platform/win32/Win32System.h"
#include "ui/DriveHistories.h"
#include "ui/HistoryWindow.h"
#include "ui/TrayView.h"

#include <winioctl.h>
#include "util/Utf.h"

namespace quenora::win32 {
namespace {

constexpr std::uint64_t kMB = 1048576;

class CountingSystem : public Win32System {
 public:
  void Beep() override { ++beeps; }
  int beeps = 0;
};

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

class DriveScenarioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FailDriveErrorsQuietly();
    handshake_ = Env("QUENORA_SCENARIO_DIR");
    ASSERT_FALSE(handshake_.empty()) << "run through drive_scenarios.sh";
    for (int i = 0; i < kTrayPictureCount; ++i) icons_[static_cast<std::size_t>(i)] = 100 + i;
    freeSpace_.OSFat32Support = freeSpace_.GetDiskFreeSpaceExSupported() ? -1 : 0;
    ASSERT_EQ(freeSpace_.OSFat32Support, -1);
    drives_.DriveCount = 2;
    drives_.DriveNumbers[0] = 'C' % 64;
    drives_.DriveNumbers[1] = 'Q' % 64;
    cycle_.AlarmSoundEnabled = 1;
  }

  struct Sent {
    std::uint32_t id;
    int picture;
    std::string tip;
  };
  std::vector<Sent> Tick() {
    shell_.requests.clear();
    view_.UpdateIcons();
    std::vector<Sent> sent;
    for (const auto& request : shell_.requests) {
      sent.push_back(
          {request.record.uID, static_cast<int>(request.record.hIcon) - 100, request.Tip()});
    }
    return sent;
  }
  static const Sent* Find(const std::vector<Sent>& sent, std::uint32_t id) {
    for (const Sent& s : sent) {
      if (s.id == id) return &s;
    }
    return nullptr;
  }

  // Asks the script to act and waits until it has.
  void Ask(const std::string& request, const std::string& answer) {
    const std::wstring dir = Widen(handshake_) + L"\\";
    HANDLE file = CreateFileW((dir + Widen(request)).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    for (int i = 0; i < 600; ++i) {
      if (GetFileAttributesW((dir + Widen(answer)).c_str()) != INVALID_FILE_ATTRIBUTES) return;
      Sleep(50);
    }
    FAIL() << "the script did not answer " << request;
  }

  // Fills Q: with a file of `bytes` (0 deletes it).
  static void FillQ(std::uint64_t bytes) {
    const wchar_t* path = L"Q:\\ballast.bin";
    if (bytes == 0) {
      ASSERT_TRUE(DeleteFileW(path));
      return;
    }
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::vector<char> chunk(kMB, 'x');
    for (std::uint64_t written = 0; written < bytes; written += kMB) {
      DWORD done = 0;
      ASSERT_TRUE(WriteFile(file, chunk.data(), static_cast<DWORD>(kMB), &done, nullptr));
    }
    CloseHandle(file);
  }

  std::string handshake_;
  std::string separator_ = Win32System().DecimalSeparator();
  const std::shared_ptr<Win32DiskSpace> diskService_ = std::make_shared<Win32DiskSpace>();
  Win32DiskSpace& disks_ = *diskService_;
  testing::FakeNotifyArea shell_;
  CountingSystem system_;
  DriveTable drives_;
  IconImages icons_{};
  FreeSpace freeSpace_{disks_, system_};
  TrayIconSet tray_{shell_, system_};
  CheckCycle cycle_{drives_, freeSpace_, diskService_, system_};
  TrayView view_{cycle_, tray_, system_, icons_};
};

TEST_F(DriveScenarioTest, SmallDriveFallsBelowTheLimitAndRecovers) {
  const DriveSpace q = freeSpace_.QueryDriveSpace("Q:");
  ASSERT_TRUE(q.ok);
  const bool smallDrive = Env("QUENORA_SMALL_DRIVE_TMPFS") == "1";
  if (smallDrive) {
    ASSERT_EQ(q.totalBytes, 20.0 * kMB);
    cycle_.MemoryLimit = 10;
  } else {
    // No small file system here (not root): a limit above what Q: has plays the same alarm.
    cycle_.MemoryLimit = q.freeBytes / kMB + 64;
  }

  auto sent = Tick();  // alarm phase
  ASSERT_NE(Find(sent, 1), nullptr);
  ASSERT_NE(Find(sent, 2), nullptr);
  EXPECT_EQ(Find(sent, 1)->tip.rfind("Rest auf C: ", 0), 0u);
  if (smallDrive) {
    EXPECT_EQ(Find(sent, 2)->tip, "Rest auf Q: 20" + separator_ + "0 MB = 100%");
    EXPECT_EQ(Find(sent, 2)->picture, 0);
    EXPECT_EQ(system_.beeps, 0);
    EXPECT_EQ(Find(Tick(), 2), nullptr);  // quiet

    FillQ(15 * kMB);  // 5 MB left, below 10 MB
  }
  // 15 of 20 MB used: fill level 20.25; without the small drive, whatever Q: shows.
  const int fill = smallDrive ? 20 : FillLevel(q.freeBytes, q.totalBytes);
  for (int tick = 0; tick < 4; ++tick) {
    sent = Tick();
    ASSERT_NE(Find(sent, 2), nullptr) << "tick " << tick;
    EXPECT_EQ(Find(sent, 2)->picture, cycle_.BlinkPhase != 0 ? kIconAlarm : fill);
    // From the second tick on, Q:'s alarm of the tick before has C: re-sent too.
    if (tick > 0) {
      ASSERT_NE(Find(sent, 1), nullptr) << "tick " << tick;
    }
  }
  if (smallDrive) {
    EXPECT_EQ(Find(sent, 2)->tip, "Rest auf Q: 5" + separator_ + "0 MB = 25%");
  }
  EXPECT_EQ(system_.beeps, 2);

  if (!smallDrive) return;
  FillQ(0);
  sent = Tick();
  ASSERT_NE(Find(sent, 2), nullptr);
  EXPECT_EQ(Find(sent, 2)->picture, 0);
  EXPECT_EQ(Find(sent, 2)->tip, "Rest auf Q: 20" + separator_ + "0 MB = 100%");
  EXPECT_EQ(Find(Tick(), 2), nullptr);  // the alarm is over: quiet again
}

TEST_F(DriveScenarioTest, SmallDriveIsHeldToItsOwnLevelsWhileTheOtherKeepsThePagesLimit) {
  if (Env("QUENORA_SMALL_DRIVE_TMPFS") != "1") GTEST_SKIP() << "needs the 20 MB tmpfs (root)";
  // Q: notifies early below 75 % (15 MB) and alarms below 50 % (10 MB); C: keeps 10 MB.
  DriveLevels own{}, early{};
  own['Q' - 'A'] = DriveLevel{50, DriveLevel::Unit::Percent};
  early['Q' - 'A'] = DriveLevel{75, DriveLevel::Unit::Percent};
  cycle_.MemoryLimit = 10;
  view_.SetDriveLevels(own, early);
  const auto alarms = [&](std::uint32_t id, const std::vector<Sent>& sent) {
    const Sent* drive = Find(sent, id);
    return drive && drive->picture == kIconAlarm;
  };

  FillQ(6 * kMB);  // 14 MB left: below the early level only
  for (int tick = 0; tick < 2; ++tick) {
    const auto sent = Tick();
    EXPECT_FALSE(alarms(1, sent) || alarms(2, sent)) << "tick " << tick;
  }
  EXPECT_EQ(system_.beeps, 0);
  ASSERT_EQ(shell_.notices.size(), 1u);
  EXPECT_EQ(shell_.notices[0].title, u"Laufwerk Q: wird knapp");

  FillQ(12 * kMB);  // 8 MB left: below its own limit, though not below the page's
  const auto alarmPhase = Tick();
  EXPECT_TRUE(alarms(2, alarmPhase));
  EXPECT_FALSE(alarms(1, alarmPhase) || alarms(1, Tick()));
  EXPECT_EQ(system_.beeps, 1);
  ASSERT_EQ(shell_.notices.size(), 2u);
  EXPECT_EQ(
      Utf16ToUtf8(shell_.notices[1].text),
      "Nur noch 8" + separator_ + "0 MB frei (Alarmgrenze: 50 % = 10" + separator_ + "0 MB).");
  FillQ(0);
}

TEST_F(DriveScenarioTest, DriveLetterVanishesAndReturns) {
  cycle_.MemoryLimit = 0;
  Tick();
  Tick();
  Ask("remove-q", "q-removed");
  for (int tick = 0; tick < 4; ++tick) {
    const auto sent = Tick();
    const Sent* q = Find(sent, 2);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->tip, "Fehler: Von Q: kann nicht gelesen werden.");
    EXPECT_EQ(q->picture, cycle_.BlinkPhase != 0 ? kIconAlarm : kIconUnreadable);
    // C: goes on, re-sent with its real state from the second tick on: Q: cleared the table.
    if (tick > 0) {
      const Sent* c = Find(sent, 1);
      ASSERT_NE(c, nullptr) << "tick " << tick;
      EXPECT_EQ(c->tip.rfind("Rest auf C: ", 0), 0u);
    }
  }
  EXPECT_EQ(system_.beeps, 2);

  Ask("restore-q", "q-restored");
  const auto sent = Tick();
  const Sent* q = Find(sent, 2);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->tip.rfind("Rest auf Q: ", 0), 0u) << q->tip;
  EXPECT_LE(q->picture, kMaxFillLevel);
}

// Wine's mount manager knows only the drive letters it found when it started; one linked later
// is a folder to it, with no volume to name. Told of the drive, as wine's own configuration
// tool tells it (the layout of wine's request as Debian's wine 8 has it), it gives the letter a
// volume of its own. Without a path it forgets the drive again: the letter would otherwise stay
// in the server's drives for the tests that come after.
bool DefineWineDrive(wchar_t letter, const std::string& unixPath) {
  struct UnixDrive {
    ULONG size = 0, type = 0, fsType = 0;
    DWORD serial = 0;
    ULONGLONG unixDevice = 0;
    WCHAR letter = 0;
    USHORT mountPointOffset = 0, deviceOffset = 0, labelOffset = 0;
  };
  std::vector<char> request(sizeof(UnixDrive) + unixPath.size() + 1);
  const bool forget = unixPath.empty();
  const UnixDrive drive{.size = static_cast<ULONG>(request.size()),
                        .type = static_cast<ULONG>(forget ? DRIVE_NO_ROOT_DIR : DRIVE_FIXED),
                        .letter = static_cast<WCHAR>(std::towlower(letter)),
                        .mountPointOffset = static_cast<USHORT>(forget ? 0 : sizeof(UnixDrive))};
  std::memcpy(request.data(), &drive, sizeof drive);
  std::memcpy(request.data() + sizeof drive, unixPath.c_str(), unixPath.size() + 1);
  const UniqueFile manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
  DWORD returned = 0;
  return manager &&
         DeviceIoControl(manager.get(),
                         CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS),
                         request.data(), static_cast<DWORD>(request.size()), nullptr, 0, &returned,
                         nullptr);
}

TEST_F(DriveScenarioTest, HistoryOfTheDriveGoesOnAcrossARestart) {
  ASSERT_TRUE(DefineWineDrive(L'Q', Env("QUENORA_SMALL_DRIVE_PATH")));
  drives_.DriveCount = 1;
  drives_.DriveNumbers[0] = 'Q' % 64;
  Win32HistoryFiles files;
  const std::optional<VolumeIdentity> volume = disks_.IdentifyVolume("Q:\\");
  ASSERT_TRUE(volume);
  const std::wstring path = Widen(HistoryFolder(files.LocalAppData()) + HistoryFileName(*volume));
  DeleteFileW(path.c_str());
  // The first session ran three hours ago, two minutes into a slot (which its start would
  // miss); a second one goes on from it.
  const std::int64_t first = UtcNow() / 300 * 300 + 120 - 3 * 3600;
  for (const std::int64_t at : {first, UtcNow()}) {
    Tick();
    DriveHistories session(files, disks_, cycle_, separator_);
    session.Record(at);
    if (at == first) continue;  // its end writes the file as a program's end does
    const HistoryData data = session.HistoryOf('Q');
    EXPECT_EQ(data.loadSlots()[static_cast<int>(HistoryResolution::kHour)].size(), 2u);
    HistoryWindow window(GetModuleHandleW(nullptr), nullptr, system_);
    window.ShowData(data);
    // The local time of the first reading, as the C library turns it.
    const std::time_t firstTime = static_cast<std::time_t>(first);
    const std::tm t = *std::localtime(&firstTime);
    char since[64];
    std::snprintf(since, sizeof since, "Aufgezeichnet seit %d.%d.%d %02d:%02d.", t.tm_mday,
                  t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min);
    EXPECT_EQ(window.SummaryText().rfind(since, 0), 0u) << window.SummaryText();
  }
  DeleteFileW(path.c_str());
  EXPECT_TRUE(DefineWineDrive(L'Q', ""));
}

}  // namespace
}  // namespace quenora::win32
