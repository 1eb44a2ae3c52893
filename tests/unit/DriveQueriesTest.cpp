#include "monitor/DriveQueries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Fakes.h"
#include "monitor/CheckCycle.h"

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

// A disk service where chosen drives hang, as a disconnected network drive does, until the
// test lets them go.
class StallingDisks : public FakeDiskSpace {
 public:
  DiskFreeSpaceExAnswer CallDiskFreeSpaceEx(std::string_view directory) override {
    WaitIfStalled(std::string(directory), spaceCalls);
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
    WaitIfStalled(std::string(rootPath.substr(0, 2)), labelCalls);
    return FakeDiskSpace::VolumeLabel(rootPath);
  }

  void Stall(const std::string& drive) {
    const std::lock_guard<std::mutex> hold(mutex_);
    stalled_.insert(drive);
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

  std::mutex mutex_;
  std::condition_variable released_;
  std::set<std::string> stalled_;
  std::multiset<std::string> spaceCalls, labelCalls;
  int askerCalls = 0;
  int kindReadsElsewhere = 0;
};

// Waits until every query asked has come back, late ones included.
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
    disks.Release("C:");
    disks.Release("N:");
    EXPECT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));
  }
  DriveSpace Ask(const std::string& drive) {
    return queries.SpaceAnswer(queries.StartSpaceQuery(drive),
                               DriveQueries::Clock::now() + kPatience);
  }

  StallingDisks disks;
  FakeSystem system;
  FreeSpace freeSpace{disks, system};
  DriveQueries queries{freeSpace, disks};
};

TEST_F(DriveQueriesTest, AnsweringDriveCostsOneCallPerQuestion) {
  for (int i = 0; i < 3; ++i) {
    for (const char* drive : {"C:", "N:"}) {
      const DriveSpace space = Ask(drive);
      ASSERT_TRUE(space.ok);
      EXPECT_EQ(space.totalBytes, drive[0] == 'C' ? 100.0 * kGB : 10.0 * kGB);
    }
  }
  EXPECT_EQ(disks.SpaceCalls("C:"), 3);
  EXPECT_EQ(disks.SpaceCalls("N:"), 3);
  EXPECT_EQ(queries.VolumeLabel("C:", kPatience), "SYSTEM");
  EXPECT_EQ(queries.VolumeLabel("N:", kPatience), "NETZ");
  // Each drive's kind is read with its first query only.
  EXPECT_EQ(disks.kindReads, (std::vector<std::string>{"C:\\", "N:\\"}));
}

TEST_F(DriveQueriesTest, LocalDiskIsAskedDirectlyAndItsKindReadAgainAfterAFailure) {
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(Ask("C:").ok);
  ASSERT_TRUE(Ask("N:").ok);
  EXPECT_EQ(disks.AskerCalls(), 4);  // every C: query on the asking thread, N: on its worker
  disks.Fail("C:");
  EXPECT_FALSE(Ask("C:").ok);
  EXPECT_EQ(disks.AskerCalls(), 5);
  // After the failure the kind is read again; the letter now names a network drive.
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.drives["C:"].kind = DriveKind::MayKeepWaiting;
  ASSERT_TRUE(Ask("C:").ok);
  EXPECT_EQ(disks.AskerCalls(), 5);
  EXPECT_EQ(std::count(disks.kindReads.begin(), disks.kindReads.end(), "C:\\"), 2);
  // The kind never waits on the drive: it is read where the question is asked.
  EXPECT_EQ(disks.KindReadsElsewhere(), 0);
}

TEST_F(DriveQueriesTest, WorkerThatEndedForLackOfWorkIsStartedAgain) {
  DriveQueries brief{freeSpace, disks, 20ms};
  const auto ask = [&] {
    return brief.SpaceAnswer(brief.StartSpaceQuery("N:"), DriveQueries::Clock::now() + kPatience);
  };
  ASSERT_TRUE(ask().ok);
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(ask().ok);
  EXPECT_EQ(queries.VolumeLabel("N:", kPatience), "NETZ");
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(brief.VolumeLabel("N:", kPatience), "NETZ");
  EXPECT_EQ(disks.SpaceCalls("N:"), 2);
}

TEST_F(DriveQueriesTest, HangingDriveFailsInTimeAndIsNotAskedAgainWhileOutstanding) {
  disks.Stall("N:");
  // Both asked first: C: answers while N: hangs.
  const auto deadline = DriveQueries::Clock::now() + kPatience;
  const auto n = queries.StartSpaceQuery("N:");
  const auto c = queries.StartSpaceQuery("C:");
  EXPECT_FALSE(queries.SpaceAnswer(n, deadline).ok);
  EXPECT_GE(DriveQueries::Clock::now(), deadline);
  EXPECT_TRUE(queries.SpaceAnswer(c, deadline).ok);

  EXPECT_EQ(queries.StartSpaceQuery("N:"), 0u);  // still outstanding: nothing new started
  EXPECT_FALSE(Ask("N:").ok);
  EXPECT_EQ(queries.VolumeLabel("N:", kPatience), "");
  EXPECT_EQ(disks.SpaceCalls("N:"), 1);
  EXPECT_EQ(queries.Outstanding(), 1);
}

TEST_F(DriveQueriesTest, LateAnswerIsDroppedAndTheNextQuestionIsAskedAfresh) {
  disks.Stall("N:");
  EXPECT_FALSE(Ask("N:").ok);
  disks.Release("N:");  // the late answer: 5 GB free
  ASSERT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));

  // The drive hangs again: the answer that came late must not stand in for the new one.
  disks.Stall("N:");
  disks.Set("N:", 2 * kGB, 10 * kGB, "NETZ");
  EXPECT_FALSE(Ask("N:").ok);
  EXPECT_EQ(disks.SpaceCalls("N:"), 2);
  disks.Release("N:");
  ASSERT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));
  const DriveSpace space = Ask("N:");
  ASSERT_TRUE(space.ok);
  EXPECT_EQ(space.freeBytes, 2.0 * kGB);
}

TEST_F(DriveQueriesTest, HangingLabelReadGivesNoLabelAndHoldsBackTheNextQuery) {
  ASSERT_TRUE(Ask("N:").ok);
  disks.Stall("N:");
  EXPECT_EQ(queries.VolumeLabel("N:", kPatience), "");
  EXPECT_EQ(queries.StartSpaceQuery("N:"), 0u);
  disks.Release("N:");
  ASSERT_TRUE(AllAnswered([this] { return queries.Outstanding(); }));
  EXPECT_TRUE(Ask("N:").ok);
}

// The cycle itself: a hanging drive is unreadable and alternates; the others go on quietly.
TEST(CheckCycleWithHangingDriveTest, HangingDriveIsUnreadableWhileTheOthersGoOn) {
  StallingDisks disks;
  FakeNotifyArea shell;
  FakeSystem system;
  DriveTable drives;
  IconImages icons{};
  for (int i = 0; i < kTrayPictureCount; ++i) icons[static_cast<std::size_t>(i)] = 1000 + i;
  FreeSpace freeSpace{disks, system};
  freeSpace.OSFat32Support = -1;
  TrayIconSet tray{shell, system, drives};
  CheckCycle cycle{drives, freeSpace, disks, tray, system, icons};
  cycle.QueryPatience = std::chrono::duration_cast<std::chrono::milliseconds>(kPatience);
  drives.DriveCount = 2;
  drives.DriveNumbers[0] = 3;   // C:
  drives.DriveNumbers[1] = 14;  // N:
  disks.Set("C:", 50 * kGB, 100 * kGB);
  disks.Set("N:", 5 * kGB, 10 * kGB);
  disks.drives["N:"].kind = DriveKind::MayKeepWaiting;
  disks.Stall("N:");

  std::vector<std::string> tips;
  std::vector<int> nPictures;
  for (int tick = 0; tick < 3; ++tick) {
    shell.requests.clear();
    cycle.UpdateIcons();
    for (const auto& request : shell.requests) {
      if (request.record.uID != 2) continue;
      tips.push_back(request.Tip());
      nPictures.push_back(static_cast<int>(request.record.hIcon) - 1000);
    }
  }
  EXPECT_EQ(tips, std::vector<std::string>(3, "Fehler: Von N: kann nicht gelesen werden."));
  EXPECT_EQ(nPictures, (std::vector<int>{kIconAlarm, kIconUnreadable, kIconAlarm}));
  EXPECT_EQ(disks.SpaceCalls("N:"), 1);
  EXPECT_EQ(disks.SpaceCalls("C:"), 3);

  // Back again: recomputed in the next cycle after its late answer came in.
  disks.Release("N:");
  ASSERT_TRUE(AllAnswered([&] { return cycle.OutstandingQueries(); }));
  shell.requests.clear();
  cycle.UpdateIcons();
  ASSERT_EQ(shell.requests.size(), 2u);
  EXPECT_EQ(shell.requests[1].Tip(), "Rest auf N: 5,0 GB = 50%");
}

}  // namespace
}  // namespace quenora
