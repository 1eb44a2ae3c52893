// 100,000 check cycles in a steady alarm through the real Win32 side, and nothing may pile up:
// GDI and USER objects, kernel handles and private bytes after the last cycle equal those
// after the first 1,000. soak.sh maps the real drives (a small tmpfs below the limit, a letter
// whose folder is missing) and runs this on the test display, whose wine desktop has a tray.
//
// What a cycle costs decided the shape. Under wine, with the machine's two cores busy, one
// Shell_NotifyIcon to the tray took 0.6-2.5 ms (the shell copies the icon's bitmaps out, the
// tray builds an icon of them and drops the old one, across processes), a free-space query
// 30-60 us, and a volume label, read for every readable drive whose icon is re-sent (in an
// alarm: every drive, every cycle), 120-250 us; each rises with the load, as every one of them
// waits for the wine server. Three real drives and one real tray icon in every cycle came to
// 2.6-6.9 ms a cycle, up to 11 minutes for the soak; 26 real drives would take over an hour.
// So the cycle runs unchanged over all 26 drives (every drive is queried, pictured, given its
// tooltip in the system's code page and re-sent, every cycle, through FreeSpace, CheckCycle
// and TrayIconSet as in the program), and only what sits behind the platform interfaces is
// thinned out: 23 drives answer from a table; C:, the small drive and the lost drive go to
// Win32DiskSpace, and the small drive's icon with the real HICONs to Win32NotifyArea and the
// tray, in every fifth cycle, with the last real answers standing in between. Five is odd, so
// the tray sees the alarm picture and the fill picture by turns. That is 20,000 real tray
// requests and 60,000 real queries: a leak in any of those paths shows thousands of times
// over, and one in the cycle's own work 99,000 times. A cycle then costs 0.4 ms on a quiet
// machine and 0.8-1.8 ms on a busy one: 40 s to 3 minutes for the soak.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ProcessCounters.h"
#include "monitor/CheckCycle.h"
#include "platform/win32/Handles.h"
#include "platform/win32/PictureIcon.h"
#include "platform/win32/Win32DiskSpace.h"
#include "platform/win32/Win32NotifyArea.h"
#include "platform/win32/Win32System.h"
#include "ui/TrayIcons.h"
#include "ui/TrayView.h"

namespace quenora::win32 {
namespace {

constexpr int kCycles = 100000;
constexpr int kWarmUpCycles = 1000;
constexpr int kRealEvery = 5;
constexpr double kMB = 1048576.0;
// A local disk gets workers of its own once an answer has taken kSlowAnswer. In the soak only
// the small drive does, once, by kSlowOnce: a drive that the load of a busy machine held up for
// a moment would bring workers, and with them heap, that the baseline doesn't have.
constexpr std::chrono::milliseconds kSlowAnswer{5000};
constexpr DWORD kSlowOnce = 6000;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::size_t LetterSlot(std::string_view path) {
  return path.empty() ? 0 : static_cast<std::size_t>(((path[0] | 0x20) - 'a') % 26);
}

// The disk service of the soak. Real letters go to the system while `realPass` is set and
// otherwise repeat its last answer; the others answer from a table. It may be asked from any
// thread, several at once, so the answers kept are guarded and the counts atomic.
class SoakDiskSpace : public DiskSpaceApi {
 public:
  explicit SoakDiskSpace(DiskSpaceApi& real) : real_(real) {}
  void MakeReal(char letter) { drives_[LetterSlot({&letter, 1})].real = true; }
  void Set(char letter, double freeBytes, double totalBytes, std::string label) {
    Drive& drive = drives_[LetterSlot({&letter, 1})];
    drive.space = {true, ToBytes(freeBytes), ToBytes(totalBytes), ToBytes(freeBytes)};
    drive.label = std::move(label);
  }

  CallProbe ProbeDiskFreeSpaceEx(std::string_view directory) override {
    return real_.ProbeDiskFreeSpaceEx(directory);
  }
  DiskFreeSpaceExAnswer CallDiskFreeSpaceEx(std::string_view directory) override {
    Drive& drive = drives_[LetterSlot(directory)];
    // A drive that keeps its caller waiting once is asked by workers of its own from then on.
    char slow = static_cast<char>(directory[0] & ~0x20);
    if (slowOnce.compare_exchange_strong(slow, '\0')) Sleep(kSlowOnce);
    if (drive.real && realPass) {
      const DiskFreeSpaceExAnswer answer = real_.CallDiskFreeSpaceEx(directory);
      ++realQueries;
      const std::lock_guard<std::mutex> lock(mutex_);
      drive.space = answer;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    return drive.space;
  }
  DiskFreeSpaceAnswer CallDiskFreeSpace(std::string_view rootPath) override {
    ADD_FAILURE() << "the 64-bit call is there; no cluster query expected for " << rootPath;
    return {};
  }
  std::string VolumeLabel(std::string_view rootPath) override {
    Drive& drive = drives_[LetterSlot(rootPath)];
    if (drive.real && realPass) {
      std::string label = real_.VolumeLabel(rootPath);
      ++realLabels;
      const std::lock_guard<std::mutex> lock(mutex_);
      drive.label = std::move(label);
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    return drive.label;
  }

  // The table's drives answer from memory, as a local disk does; the real ones say what they
  // are, so the unreadable one is asked through its worker thread every cycle.
  DriveKind KindOfDrive(std::string_view rootPath) override {
    return drives_[LetterSlot(rootPath)].real ? real_.KindOfDrive(rootPath) : DriveKind::LocalDisk;
  }
  std::optional<VolumeIdentity> IdentifyVolume(std::string_view) override { return {}; }

  std::atomic<bool> realPass{true};
  std::atomic<char> slowOnce{'\0'};  // the drive whose next answer is slow
  std::atomic<long> realQueries{0}, realLabels{0};

 private:
  struct Drive {
    bool real = false;
    DiskFreeSpaceExAnswer space;
    std::string label;
  };
  static Int64Bytes ToBytes(double value) {
    const auto whole = static_cast<std::uint64_t>(value);
    Int64Bytes bytes{};
    for (std::size_t k = 0; k < bytes.size(); ++k) {
      bytes[k] = static_cast<std::uint8_t>(whole >> (8 * k));
    }
    return bytes;
  }

  DiskSpaceApi& real_;
  std::mutex mutex_;
  std::array<Drive, 26> drives_{};
};

// The notification area of the soak: the icon `realId` goes to the shell's tray (added and
// deleted always, modified while `realPass` is set); the rest only counts.
class SoakNotifyArea : public NotifyArea {
 public:
  explicit SoakNotifyArea(NotifyArea& real) : real_(real) {}

  bool ShellNotifyIcon(std::uint32_t request, const NotifyIconRecord& record) override {
    if (request == kNimModify) ++modifies;
    if (record.uID != realId || (request == kNimModify && !realPass)) return true;
    const bool accepted = real_.ShellNotifyIcon(request, record);
    if (request == kNimAdd) realAdded = accepted;
    if (request == kNimModify) {
      realAccepted += accepted ? 1 : 0;
      realPictureChanges += record.hIcon != lastRealPicture ? 1 : 0;
      lastRealPicture = record.hIcon;
    }
    return accepted;
  }
  bool ShowNotice(const NoticeRecord&) override {
    ++notices;
    return true;
  }

  std::uint32_t realId = 0;
  long notices = 0;
  bool realPass = true, realAdded = false;
  long modifies = 0, realAccepted = 0, realPictureChanges = 0;
  IconHandle lastRealPicture = 0;

 private:
  NotifyArea& real_;
};

class CountingSystem : public Win32System {
 public:
  void Beep() override {
    ++beeps;
    Win32System::Beep();
  }
  long beeps = 0;
};

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The tray belongs to the desktop's shell, which may still be starting.
bool WaitForTray() {
  GetDesktopWindow();
  for (int i = 0; i < 200; ++i) {
    if (FindWindowW(L"Shell_TrayWnd", nullptr)) return true;
    Sleep(50);
  }
  return false;
}

// The counts stand in for the system's where wine has none, so they must be seen to move:
// each one shown holding what the process takes and back where it was once it gave it back.
TEST(ProcessCountersTest, EachCountSeesWhatTheProcessTakesAndGivesBack) {
  // What the first icon and the first count set up for good comes before the baseline.
  CreateIconFromPicture(DrawTrayPicture(0));
  ReadProcessCounters();
  const ProcessCounters before = ReadProcessCounters();
  std::printf("counts from %s\n", CounterSources().c_str());
  {
    std::array<UniqueIcon, 10> icons;
    for (auto& icon : icons) icon = CreateIconFromPicture(DrawTrayPicture(kIconAlarm));
    std::array<UniqueKernelHandle, 10> events;
    for (auto& event : events) event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    void* block = VirtualAlloc(nullptr, 1 << 20, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    std::vector<std::unique_ptr<char[]>> small(100);  // through the C++ heap, as the program's
    for (auto& bytes : small) bytes = std::make_unique<char[]>(40);
    const ProcessCounters holding = ReadProcessCounters();
    // An icon is one USER object holding its own bitmaps; a megabyte committed is one more.
    EXPECT_EQ(holding.userObjects - before.userObjects, 10);
    EXPECT_GE(holding.gdiObjects - before.gdiObjects, 20);
    EXPECT_EQ(holding.kernelHandles - before.kernelHandles, 10);
    EXPECT_GE(holding.privateBytes - before.privateBytes, 1u << 20);
    EXPECT_GE(holding.heapBusyBytes - before.heapBusyBytes, 100u * 40 + 100 * sizeof(void*));
    EXPECT_GE(holding.heapCommittedBytes, holding.heapBusyBytes);
    VirtualFree(block, 0, MEM_RELEASE);
  }
  const ProcessCounters after = ReadProcessCounters();
  EXPECT_EQ(after.heapBusyBytes, before.heapBusyBytes);
  EXPECT_EQ(after.userObjects, before.userObjects);
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.kernelHandles, before.kernelHandles);
}

class SoakTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FailDriveErrorsQuietly();
    const std::string small = Env("QUENORA_SOAK_SMALL_DRIVE");
    const std::string lost = Env("QUENORA_SOAK_LOST_DRIVE");
    ASSERT_EQ(small.size(), 1u) << "run through soak.sh";
    ASSERT_EQ(lost.size(), 1u) << "run through soak.sh";
    const char smallLetter = static_cast<char>(small[0] & ~0x20);
    for (const char letter : {'C', smallLetter, lost[0]}) disks_.MakeReal(letter);
    shell_.realId = static_cast<std::uint32_t>(smallLetter - 'A' + 1);

    ASSERT_TRUE(WaitForTray()) << "no tray on the display";
    window_.reset(CreateWindowExW(0, L"STATIC", L"soak tray owner", 0, 0, 0, 10, 10, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(window_);
    tray_.TrayWindowHandle = reinterpret_cast<WindowHandle>(window_.get());
    pictures_ = CreateTrayIcons();
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
      ASSERT_TRUE(pictures_[i]);
      icons_[i] = reinterpret_cast<IconHandle>(pictures_[i].get());
    }
    freeSpace_.OSFat32Support = freeSpace_.GetDiskFreeSpaceExSupported() ? -1 : 0;
    ASSERT_EQ(freeSpace_.OSFat32Support, -1);

    // The small drive is a 4 MB tmpfs when the script could mount one; on a plain folder the
    // limit goes above whatever that file system has free, as on a nearly full disk.
    const DriveSpace smallSpace = freeSpace_.QueryDriveSpace(small + ":");
    ASSERT_TRUE(smallSpace.ok);
    cycle_.MemoryLimit =
        Env("QUENORA_SMALL_DRIVE_TMPFS") == "1" ? 10 : std::floor(smallSpace.freeBytes / kMB) + 64;
    const double limit = cycle_.MemoryLimit * kMB;
    ASSERT_LT(smallSpace.freeBytes, limit);
    // C: is far above a 10 MB limit, and below the raised one.
    const DriveSpace c = freeSpace_.QueryDriveSpace("C:");
    ASSERT_TRUE(c.ok);
    firstAlarm_ = c.freeBytes < limit ? 3 : 6;

    // All 26 letters in order; the table drives around the real ones, F:, K: and W: below the
    // limit, every third one with a label.
    drives_.DriveCount = kMaxDrives;
    for (int p = 0; p < kMaxDrives; ++p) {
      const char letter = static_cast<char>('A' + p);
      drives_.DriveNumbers[static_cast<std::size_t>(p)] = letter % 64;
      const bool below = letter == 'F' || letter == 'K' || letter == 'W';
      disks_.Set(letter, below ? limit / 2 + 4096.0 * p : limit * (2 + p), limit * 40,
                 p % 3 == 0 ? std::string("DATEN ") + letter : "");
    }
    cycle_.AlarmSoundEnabled = -1;
    // The cycle that meets the slow answer waits for the others beyond it, as for any other.
    cycle_.QueryPatience = std::chrono::milliseconds(kSlowOnce + 4000);
    disks_.realQueries = 0;
  }

  void TearDown() override { tray_.RemoveAllTrayIcons(drives_.DriveCount); }

  // The counts once every drive worker has ended: a worker that ends gives back its thread and
  // stack, so with none left the process holds what it held before the first one started.
  ProcessCounters CountersWithoutWorkers() {
    for (int i = 0; i < 1500 && (cycle_.QueryWorkers() > 0 || cycle_.OutstandingQueries() > 0);
         ++i) {
      Sleep(20);
      PumpMessages();
    }
    EXPECT_EQ(cycle_.QueryWorkers(), 0) << "drive workers that never end";
    return ReadProcessCounters();
  }

  // One tick as the program's timer runs it, then whatever came in meanwhile.
  void Cycle(int index) {
    const bool real = index % kRealEvery == 0;
    disks_.realPass = real;
    shell_.realPass = real;
    view_.UpdateIcons();
    PumpMessages();
    mostWorkers_ = std::max(mostWorkers_, cycle_.QueryWorkers());
  }

  int firstAlarm_ = 0;   // list position of the first drive below the limit or unreadable
  int mostWorkers_ = 0;  // the most drive workers there were at once
  UniqueWindow window_;
  std::array<UniqueIcon, kTrayPictureCount> pictures_;
  IconImages icons_{};
  Win32DiskSpace realDisks_;
  const std::shared_ptr<SoakDiskSpace> diskService_ = std::make_shared<SoakDiskSpace>(realDisks_);
  SoakDiskSpace& disks_ = *diskService_;
  Win32NotifyArea realShell_;
  SoakNotifyArea shell_{realShell_};
  CountingSystem system_;
  DriveTable drives_;
  FreeSpace freeSpace_{disks_, system_};
  TrayIconSet tray_{shell_, system_};
  // A worker ends after half a second without a question, so that the counts can be read
  // without one.
  CheckCycle cycle_{drives_,    freeSpace_, diskService_, system_, std::chrono::milliseconds(500),
                    kSlowAnswer};
  TrayView view_{cycle_, tray_, system_, icons_};
};

TEST_F(SoakTest, HundredThousandAlarmCyclesLeaveNothingBehind) {
  for (std::uint32_t id = 1; id <= kMaxDrives; ++id) tray_.AddTrayIcon(id, icons_[0], "");
  ASSERT_TRUE(shell_.realAdded) << "the tray refused the icon";
  // Whatever the counting itself sets up once is in place before the baseline.
  const ProcessCounters start = ReadProcessCounters();

  // On a busy machine any real drive may answer slowly and get its workers, at any moment of
  // the run; the small drive always does, early in the warm-up. Its workers, and the lost
  // drive's, end and start again once before the baseline and again after it: the counts are
  // read with none of them there, and what their coming and going takes is in place by then.
  const auto began = std::chrono::steady_clock::now();
  int index = 0;
  for (; index < kWarmUpCycles; ++index) {
    if (index == kRealEvery * 10) disks_.slowOnce = static_cast<char>(shell_.realId - 1 + 'A');
    if (index == kWarmUpCycles / 2) CountersWithoutWorkers();
    Cycle(index);
  }
  const ProcessCounters baseline = CountersWithoutWorkers();
  static std::array<MemoryRegion, 8192> before, now;
  const std::size_t regionsBefore = CommittedPrivateRegions(before);
  for (; index < kCycles; ++index) Cycle(index);
  const ProcessCounters end = CountersWithoutWorkers();
  const std::size_t regionsNow = CommittedPrivateRegions(now);
  const std::string grown =
      RegionsGrown(std::span(before).first(regionsBefore), std::span(now).first(regionsNow));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

  std::printf("counts from %s\n", CounterSources().c_str());
  std::printf("before the first cycle: %s\n", ToString(start).c_str());
  std::printf("after %6d cycles:     %s\n", kWarmUpCycles, ToString(baseline).c_str());
  std::printf("after %6d cycles:     %s\n", kCycles, ToString(end).c_str());
  std::printf("%d cycles in %.1f s, %.0f us each\n", kCycles, seconds, seconds / kCycles * 1e6);
  std::printf("drive workers: up to %d at once\n", mostWorkers_);
  // The lost drive's, and the slow drive's two (its free space and its label).
  EXPECT_GE(mostWorkers_, 3) << "the slow drive got no workers";

  // The alarm held all along: every icon re-sent in every cycle, the tray took every real
  // request with the picture changing each time, the real drives were queried on every real
  // pass (the lost one has no label to read), and the beep sounded in every other cycle for
  // each drive from the first alarming one on.
  constexpr long kRealPasses = kCycles / kRealEvery;
  EXPECT_EQ(shell_.modifies, static_cast<long>(kCycles) * kMaxDrives);
  EXPECT_EQ(shell_.realAccepted, kRealPasses);
  EXPECT_EQ(shell_.realPictureChanges, kRealPasses);
  EXPECT_EQ(disks_.realQueries.load(), 3 * kRealPasses);
  EXPECT_EQ(disks_.realLabels.load(), 2 * kRealPasses);
  EXPECT_EQ(system_.beeps, static_cast<long>(kCycles / 2) * (kMaxDrives - firstAlarm_ + 1));

  // Exactly equal: a cycle that gives back all it takes leaves the objects as they were.
  EXPECT_EQ(end.gdiObjects, baseline.gdiObjects);
  EXPECT_EQ(end.userObjects, baseline.userObjects);
  // Kernel handles: the drive workers and the window's thread share locks of the system's,
  // and the first time two of them meet on one, the system may make its wait object, once, at
  // any moment of the run (seen: one handle more, after cycle 1,000 in some runs, before it in
  // others). Two at most is that; a leak in a cycle adds tens of thousands.
  EXPECT_GE(end.kernelHandles, baseline.kernelHandles);
  EXPECT_LE(end.kernelHandles, baseline.kernelHandles + 2);
  // The heaps' busy bytes within a kilobyte: the real drives' free space goes on changing while
  // the soak runs, and the texts that say it grow or shrink by a character (seen: one byte
  // less). A byte lost in every cycle adds 99,000.
  const std::uint64_t busyDifference = std::max(end.heapBusyBytes, baseline.heapBusyBytes) -
                                       std::min(end.heapBusyBytes, baseline.heapBusyBytes);
  EXPECT_LE(busyDifference, 1024u);
  // The rest of the memory: what the heaps commit for their blocks is left out, since it stays at
  // the most they once held, as does the memory wine keeps for threads that have ended, for the
  // next ones to take (64 KB a thread). On a loaded machine, a worker may still be leaving as
  // the next one starts, so the process may once have held a thread or two more than before
  // the baseline, with no block more in use (seen: +64 KB and +128 KB beside the heap in runs
  // where the heap's busy bytes stayed exact). Four such blocks are allowed; a leak outside
  // the heaps comes in pages of 4 KB, and leaked in every real pass it would be 80 MB.
  const std::uint64_t otherBefore = baseline.privateBytes - baseline.heapCommittedBytes;
  const std::uint64_t otherAfter = end.privateBytes - end.heapCommittedBytes;
  EXPECT_LE(otherAfter, otherBefore + 4 * 65536);
  if (otherAfter != otherBefore) std::printf("committed private regions grown:\n%s", grown.c_str());
}

}  // namespace
}  // namespace quenora::win32
