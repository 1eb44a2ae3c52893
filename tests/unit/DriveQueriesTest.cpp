#include "monitor/DriveQueries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Fakes.h"
#include "monitor/CheckCycle.h"
#include "ui/TrayView.h"

namespace quenora {
namespace {

using namespace std::chrono_literals;
using testing::FakeDiskSpace;
using testing::FakeNotifyArea;
using testing::FakeSystem;

constexpr std::uint64_t kGB = 1073741824;
// Long enough for a drive that answers at once even on a loaded machine; every wait for a
// stalled drive costs this much.
constexpr auto kPatience = 400ms;
// For a question that is known to hang: it won't be answered however long one waits.
constexpr auto kHung = 20ms;

// A disk service where chosen drives hang, as a disconnected network drive does, until the
// test lets them go: "N:" holds its free space, "N:\\" its label.
class StallingDisks : public FakeDiskSpace {
 public:
  DiskFreeSpaceExAnswer CallDiskFreeSpaceEx(std::string_view directory) override {
    WaitIfStalled(std::string(directory), spaceCalls);
    std::this_thread::sleep_for(SlowBy(std::string(directory)));
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      if (std::this_thread::get_id() == asker) ++askerCalls;
    }
    return FakeDiskSpace::CallDiskFreeSpaceEx(directory);
  }
  DriveKind KindOfDrive(std::string_view rootPath) override {
    {
      const std::lock_guard<std::mutex> hold(mutex_);
      if (std::this_thread::get_id() != asker) ++kindReadsElsewhere;
    }
    return FakeDiskSpace::KindOfDrive(rootPath);
  }
  std::string VolumeLabel(std::string_view rootPath) override {
    WaitIfStalled(std::string(rootPath), labelCalls);
    return FakeDiskSpace::VolumeLabel(rootPath);
  }

  void Stall(const std::string& drive) {
    const std::lock_guard<std::mutex> hold(mutex_);
    stalled_.insert(drive);
  }
  // Every answer of `drive` takes `delay`, as a NAS waking up or a share behind a VPN does.
  void Slow(const std::string& drive, std::chrono::milliseconds delay) {
    const std::lock_guard<std::mutex> hold(mutex_);
    slow_[drive] = delay;
  }
  void Release(const std::string& drive) {
    const std::lock_guard<std::mutex> hold(mutex_);
    stalled_.erase(drive);
    released_.notify_all();
  }
  int SpaceCalls(const std::string& drive) {
    const std::lock_guard<std::mutex> hold(mutex_);
    return static_cast<int>(spaceCalls.count(drive));
  }
  // Free-space calls made on the asking thread itself, not on a worker.
  int AskerCalls() {
    const std::lock_guard<std::mutex> hold(mutex_);
    return askerCalls;
  }
  // Kinds read on another thread than the asking one.
  int KindReadsElsewhere() {
    const std::lock_guard<std::mutex> hold(mutex_);
    return kindReadsElsewhere;
  }
  const std::thread::id asker = std::this_thread::get_id();

 private:
  void WaitIfStalled(const std::string& drive, std::multiset<std::string>& calls) {
    std::unique_lock<std::mutex> hold(mutex_);
    calls.insert(drive);
    released_.wait(hold, [&] { return stalled_.count(drive) == 0; });
  }

  std::chrono::milliseconds SlowBy(const std::string& drive) {
    const std::lock_guard<std::mutex> hold(mutex_);
    const auto it = slow_.find(drive);
    return it == slow_.end() ? 0ms : it->second;
  }

  std::mutex mutex_;
  std::map<std::string, std::chrono::milliseconds> slow_;
  std::condition_variable released_;
  std::set<std::string> stalled_;
  std::multiset<std::string> spaceCalls, labelCalls;
  int askerCalls = 0;
  int kindReadsElsewhere = 0;
};

// Waits until the count (of queries asked and not back, or of workers) is down to nothing.
template <typename CountOutstanding>
bool AllAnswered(CountOutstanding outstanding) {
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < end) {
    if (outstanding() == 0) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

class DriveQueriesTest : public ::testing::Test {
 protected:
  DriveQueriesTest() {
    freeSpace.OSFat32Support = -1;
    disks.Set("C:", 50 * kGB, 100 * kGB, "SYSTEM");
    disks.Set("N:", 5 * kGB, 10 * kGB, "NETZ");
    disks.drives["N:"].kind = DriveKind::MayKeepWaiting;
  }
  ~DriveQueriesTest() override {
    for (const char* drive : {"C:", "N:", "N:\\"}) disks.Release(drive);
    EXPECT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));
  }
  DriveQueries::SpaceReading Ask(const std::string& drive,
                                 DriveQueries::Clock::duration patience = kPatience) {
    queries.StartSpaceQuery(drive);
    return queries.TakeSpaceAnswer(drive, DriveQueries::Clock::now() + patience);
  }
  std::string Label(const std::string& drive) {
    return queries.ReadVolumeLabel(drive, DriveQueries::Clock::now() + kPatience).label;
  }

  const std::shared_ptr<StallingDisks> diskService = std::make_shared<StallingDisks>();
  StallingDisks& disks = *diskService;
  FakeSystem system;
  FreeSpace freeSpace{disks, system};
  DriveQueries queries{freeSpace, diskService};
};

TEST_F(DriveQueriesTest, AnsweringDriveCostsOneCallPerQuestion) {
  for (int i = 0; i < 3; ++i) {
    for (const char* drive : {"C:", "N:"}) {
      const DriveQueries::SpaceReading reading = Ask(drive);
      ASSERT_TRUE(reading.answered && reading.space.ok);
      EXPECT_EQ(reading.space.totalBytes, drive[0] == 'C' ? 100.0 * kGB : 10.0 * kGB);
    }
  }
  EXPECT_EQ(disks.SpaceCalls("C:"), 3);
  EXPECT_EQ(disks.SpaceCalls("N:"), 3);
  EXPECT_EQ(Label("C:"), "SYSTEM");
  EXPECT_EQ(Label("N:"), "NETZ");
  // Each drive's kind is read with its first query only.
  EXPECT_EQ(disks.kindReads, (std::vector<std::string>{"C:\\", "N:\\"}));
}

TEST_F(DriveQueriesTest, LocalDiskIsAskedDirectlyAndItsKindReadAgainAfterAFailure) {
  // Past the point where the kind is read again, a local disk still never needs a worker.
  for (int i = 0; i < 600; ++i) ASSERT_TRUE(Ask("C:").space.ok);
  ASSERT_TRUE(Ask("N:").space.ok);
  EXPECT_EQ(disks.AskerCalls(), 600);  // every C: query on the asking thread, N: on its worker
  disks.Fail("C:");
  EXPECT_FALSE(Ask("C:").space.ok);
  EXPECT_EQ(disks.AskerCalls(), 601);
  // After the failure the kind is read again; the letter now names a network drive.
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.drives["C:"].kind = DriveKind::MayKeepWaiting;
  ASSERT_TRUE(Ask("C:").space.ok);
  EXPECT_EQ(disks.AskerCalls(), 601);
  EXPECT_EQ(std::count(disks.kindReads.begin(), disks.kindReads.end(), "C:\\"), 4);
  // The kind never waits on the drive: it is read where the question is asked.
  EXPECT_EQ(disks.KindReadsElsewhere(), 0);
}

TEST_F(DriveQueriesTest, WorkerThatEndedForLackOfWorkIsStartedAgain) {
  DriveQueries brief{freeSpace, diskService, 20ms};
  const auto ask = [&] {
    brief.StartSpaceQuery("N:");
    return brief.TakeSpaceAnswer("N:", DriveQueries::Clock::now() + kPatience).space;
  };
  ASSERT_TRUE(ask().ok);
  EXPECT_EQ(brief.Workers(), 1);
  // An idle worker ends and lets go of its thread: an idle program holds none.
  EXPECT_TRUE(AllAnswered([&] { return brief.Workers(); }));
  EXPECT_TRUE(ask().ok);
  EXPECT_TRUE(AllAnswered([&] { return brief.Workers(); }));
  EXPECT_EQ(brief.ReadVolumeLabel("N:", DriveQueries::Clock::now() + kPatience).label, "NETZ");
  EXPECT_EQ(brief.Workers(), 1);
  EXPECT_EQ(disks.SpaceCalls("N:"), 2);
}

TEST_F(DriveQueriesTest, HangingDriveIsWaitingAndNotAskedAgainWhileOutstanding) {
  disks.Stall("N:");
  // Both asked first: C: answers while N: hangs.
  const auto asked = DriveQueries::Clock::now();
  queries.StartSpaceQuery("N:");
  queries.StartSpaceQuery("C:");
  const auto deadline = DriveQueries::Clock::now() + kPatience;
  const DriveQueries::SpaceReading n = queries.TakeSpaceAnswer("N:", deadline);
  EXPECT_FALSE(n.answered);
  EXPECT_GE(n.askedAt, asked);
  EXPECT_GE(DriveQueries::Clock::now(), deadline);
  EXPECT_TRUE(queries.TakeSpaceAnswer("C:", deadline).space.ok);

  EXPECT_FALSE(Ask("N:", kHung).answered);
  EXPECT_EQ(disks.SpaceCalls("N:"), 1);  // still outstanding: nothing new started
  EXPECT_EQ(queries.Outstanding(), 1);
}

TEST_F(DriveQueriesTest, LateAnswerIsKeptForTheNextTakeAndNeverTakenTwice) {
  disks.Stall("N:");
  EXPECT_FALSE(Ask("N:", kHung).answered);
  disks.Release("N:");  // the late answer: 5 GB free
  ASSERT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));

  // The next question hangs: the late answer stands in for it, once.
  disks.Stall("N:");
  disks.Set("N:", 2 * kGB, 10 * kGB, "NETZ");
  disks.drives["N:"].kind = DriveKind::MayKeepWaiting;
  const DriveQueries::SpaceReading late = Ask("N:", kHung);
  ASSERT_TRUE(late.answered && late.space.ok);
  EXPECT_EQ(late.space.freeBytes, 5.0 * kGB);
  EXPECT_FALSE(Ask("N:", kHung).answered);
  EXPECT_EQ(disks.SpaceCalls("N:"), 2);
  disks.Release("N:");
  ASSERT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));
  const DriveQueries::SpaceReading next = Ask("N:");
  ASSERT_TRUE(next.answered && next.space.ok);
  EXPECT_EQ(next.space.freeBytes, 2.0 * kGB);
}

TEST_F(DriveQueriesTest, HangingLabelReadHoldsUpNeitherTheFreeSpaceNorItsNextRead) {
  ASSERT_TRUE(Ask("N:").space.ok);
  EXPECT_EQ(Label("N:"), "NETZ");
  disks.Stall("N:\\");
  disks.Set("N:", 5 * kGB, 10 * kGB, "NEU");
  disks.drives["N:"].kind = DriveKind::MayKeepWaiting;
  const DriveQueries::LabelReading stalled =
      queries.ReadVolumeLabel("N:", DriveQueries::Clock::now() + kHung);
  EXPECT_FALSE(stalled.current);
  EXPECT_EQ(stalled.label, "NETZ");  // the label last read stands in
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Ask("N:").space.ok);
  EXPECT_FALSE(queries.ReadVolumeLabel("N:", DriveQueries::Clock::now()).current);
  disks.Release("N:\\");
  ASSERT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));
  EXPECT_EQ(queries.LastVolumeLabel("N:").label, "NEU");
  EXPECT_TRUE(queries.LastVolumeLabel("N:").current);
}

TEST_F(DriveQueriesTest, WorkerCaughtInACallWhenItsOwnerGoesKeepsTheDiskServiceAlive) {
  auto service = std::make_shared<StallingDisks>();
  service->Set("N:", 5 * kGB, 10 * kGB);
  service->drives["N:"].kind = DriveKind::MayKeepWaiting;
  service->Stall("N:");
  const std::weak_ptr<StallingDisks> watched = service;
  {
    // The owner as the program has it: the free-space query and the queries, both going.
    FreeSpace owner{*service, system};
    owner.OSFat32Support = -1;
    DriveQueries brief{owner, service};
    brief.StartSpaceQuery("N:");
    ASSERT_TRUE(AllAnswered([&] { return 1 - service->SpaceCalls("N:"); }));  // in the call
  }
  // The worker still in the call holds the service it returns into, and lets go once back.
  const bool heldByTheWorker = service.use_count() > 1;
  if (!heldByTheWorker) service->Release("N:");  // a failing test mustn't leave it hanging
  ASSERT_TRUE(heldByTheWorker);
  service.reset();
  watched.lock()->Release("N:");
  EXPECT_TRUE(AllAnswered([&] { return watched.expired() ? 0 : 1; }));
}

// The cycle itself: a slow drive keeps its icon and raises no alarm, one that hangs for good
// becomes unreadable after the grace, and the other drives go on meanwhile.
class CheckCycleWithSlowDriveTest : public ::testing::Test {
 protected:
  static constexpr auto kCyclePatience = 100ms;

  CheckCycleWithSlowDriveTest() {
    for (int i = 0; i < kTrayPictureCount; ++i) icons[static_cast<std::size_t>(i)] = 1000 + i;
    freeSpace.OSFat32Support = -1;
    cycle.QueryPatience = kCyclePatience;
    // Far beyond what the slow drives here take, even on a loaded machine.
    cycle.UnreadableAfter = 3s;
    drives.DriveCount = 2;
    drives.DriveNumbers[0] = 3;   // C:
    drives.DriveNumbers[1] = 14;  // N:
    disks.Set("C:", 50 * kGB, 100 * kGB);
    disks.Set("N:", 5 * kGB, 10 * kGB, "NAS");
    disks.drives["N:"].kind = DriveKind::MayKeepWaiting;
  }
  ~CheckCycleWithSlowDriveTest() override {
    for (const char* drive : {"N:", "N:\\"}) disks.Release(drive);
    EXPECT_TRUE(AllAnswered([this] { return cycle.OutstandingQueries(); }));
  }

  struct Sent {
    std::string tip;
    int picture;
  };
  // One cycle; what was sent for N: (or the icon `iconId`), if anything, and how often it beeped.
  std::optional<Sent> Tick(int* beeps = nullptr, std::uint32_t iconId = 2) {
    shell.requests.clear();
    const int beepsBefore = system.beeps;
    view.UpdateIcons();
    if (beeps) *beeps = system.beeps - beepsBefore;
    std::optional<Sent> sent;
    for (const auto& request : shell.requests) {
      if (request.record.uID == iconId)
        sent = Sent{request.Tip(), static_cast<int>(request.record.hIcon) - 1000};
    }
    return sent;
  }

  const std::shared_ptr<StallingDisks> diskService = std::make_shared<StallingDisks>();
  StallingDisks& disks = *diskService;
  FakeNotifyArea shell;
  FakeSystem system;
  DriveTable drives;
  IconImages icons{};
  FreeSpace freeSpace{disks, system};
  TrayIconSet tray{shell, system};
  CheckCycle cycle{drives, freeSpace, diskService, system};
  TrayView view{cycle, tray, system, icons};
};

TEST_F(CheckCycleWithSlowDriveTest, SlowLabelNeverMakesTheDriveUnreadable) {
  disks.Stall("N:\\");
  int beeps = 0;
  const auto first = Tick(&beeps);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->tip, "Rest auf N: 5,0 GB = 50%");  // the label isn't there yet
  for (int tick = 1; tick < 5; ++tick) {
    disks.Set("N:", (5 + tick) * kGB, 10 * kGB, "NAS");  // changed: the label is wanted again
    disks.drives["N:"].kind = DriveKind::MayKeepWaiting;
    const auto sent = Tick(&beeps);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->tip.rfind("Rest auf N: ", 0), 0u) << sent->tip;
    EXPECT_EQ(beeps, 0);
  }
  disks.Release("N:\\");
  ASSERT_TRUE(AllAnswered([this] { return cycle.OutstandingQueries(); }));
  // The label that came late is shown although the free space stayed.
  const auto labelled = Tick();
  ASSERT_TRUE(labelled);
  EXPECT_EQ(labelled->tip, "Rest auf N: \xBBNAS\xAB 9,0 GB = 90%");
  EXPECT_EQ(labelled->picture, 3);
  EXPECT_FALSE(Tick());  // and then it is quiet again
}

TEST_F(CheckCycleWithSlowDriveTest, SlowFreeSpaceIsWaitedForWithoutAlarmAndShownWhenItCame) {
  // Every answer of N: takes longer than a cycle waits.
  disks.Slow("N:", 2 * kCyclePatience + 50ms);
  std::vector<std::string> tips;
  int beeps = 0;
  for (int tick = 0; tick < 8; ++tick) {
    int cycleBeeps = 0;
    if (const auto sent = Tick(&cycleBeeps)) {
      tips.push_back(sent->tip);
      EXPECT_NE(sent->picture, kIconAlarm);
      EXPECT_NE(sent->picture, kIconUnreadable);
    }
    beeps += cycleBeeps;
  }
  EXPECT_EQ(beeps, 0);
  ASSERT_FALSE(tips.empty());
  // On a loaded machine the label's first read may take longer than a cycle waits too: until it
  // has come, the tip goes without it.
  for (const std::string& tip : tips) {
    EXPECT_TRUE(tip == "Rest auf N: \xBBNAS\xAB 5,0 GB = 50%" || tip == "Rest auf N: 5,0 GB = 50%")
        << tip;
  }
  EXPECT_EQ(tips.back(), "Rest auf N: \xBBNAS\xAB 5,0 GB = 50%");
  EXPECT_GE(disks.SpaceCalls("C:"), 8);
}

TEST_F(CheckCycleWithSlowDriveTest, LateAnswerIsShownByTheNextCycle) {
  disks.Stall("N:");
  EXPECT_FALSE(Tick());
  disks.Release("N:");  // comes in after the cycle's deadline
  ASSERT_TRUE(AllAnswered([this] { return cycle.OutstandingQueries(); }));
  disks.Stall("N:");  // and the next question hangs again
  const auto sent = Tick();
  ASSERT_TRUE(sent);
  EXPECT_EQ(sent->tip.rfind("Rest auf N: ", 0), 0u);
  EXPECT_NE(sent->tip.find(" 5,0 GB = 50%"), std::string::npos) << sent->tip;
  EXPECT_EQ(disks.SpaceCalls("N:"), 2);
}

TEST_F(CheckCycleWithSlowDriveTest, DriveHungForGoodIsUnreadableAfterTheGraceAndAlarms) {
  ASSERT_TRUE(Tick());  // known and readable
  // The grace is a time and a number of cycles, whichever ends later.
  for (const auto grace : {600ms, 0ms}) {
    SCOPED_TRACE(grace.count());
    cycle.UnreadableAfter = grace;
    disks.Stall("N:");
    const auto hung = std::chrono::steady_clock::now();
    std::vector<int> pictures, beeps;
    int waitingCycles = 0;
    while (pictures.size() < 3) {
      ASSERT_LT(std::chrono::steady_clock::now() - hung, 10s);
      int cycleBeeps = 0;
      const auto sent = Tick(&cycleBeeps);
      if (!sent) {
        ASSERT_TRUE(pictures.empty()) << "back to waiting after giving up";
        EXPECT_EQ(cycleBeeps, 0);
        ++waitingCycles;
        continue;
      }
      if (pictures.empty()) {
        EXPECT_GE(std::chrono::steady_clock::now() - hung, grace);
      }
      EXPECT_EQ(sent->tip, "Fehler: Von N: kann nicht gelesen werden.");
      pictures.push_back(sent->picture);
      beeps.push_back(cycleBeeps);
    }
    EXPECT_GE(waitingCycles, cycle.UnreadableAfterCycles - 1);
    // As any unreadable drive: the alarm alternates with the question mark, beeping with it.
    const bool alarmFirst = pictures[0] == kIconAlarm;
    EXPECT_EQ(pictures, alarmFirst
                            ? (std::vector<int>{kIconAlarm, kIconUnreadable, kIconAlarm})
                            : (std::vector<int>{kIconUnreadable, kIconAlarm, kIconUnreadable}));
    EXPECT_EQ(beeps, alarmFirst ? (std::vector<int>{1, 0, 1}) : (std::vector<int>{0, 1, 0}));

    // Back again: recomputed in the next cycle after its late answer came in.
    disks.Release("N:");
    ASSERT_TRUE(AllAnswered([this] { return cycle.OutstandingQueries(); }));
    const auto back = Tick();
    ASSERT_TRUE(back);
    EXPECT_NE(back->tip.find(" 5,0 GB = 50%"), std::string::npos) << back->tip;
  }
}

TEST_F(CheckCycleWithSlowDriveTest, FixedDiskSlowOnceNeverHoldsUpACycleAgain) {
  ASSERT_TRUE(Tick());
  // C:, a local disk, answers slowly once, as a USB disk spinning up does; then it hangs.
  disks.Slow("C:", 150ms);
  Tick();
  disks.Slow("C:", 0ms);
  disks.Stall("C:");
  // Should a cycle ask it on the window's thread after all, it is let go after a while.
  std::promise<void> done;
  std::thread rescue([&, over = done.get_future()] {
    over.wait_for(1500ms);
    disks.Release("C:");
  });
  for (int tick = 0; tick < 3; ++tick) {
    const auto began = std::chrono::steady_clock::now();
    int beeps = 0;
    EXPECT_FALSE(Tick(&beeps, 1));  // waiting: its icon and tooltip stay
    EXPECT_LT(std::chrono::steady_clock::now() - began, kCyclePatience + 400ms);
    EXPECT_EQ(beeps, 0);
  }
  done.set_value();
  rescue.join();
}

}  // namespace
}  // namespace quenora
