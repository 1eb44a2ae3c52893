#include "scan/DriveScans.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FakeFolderTree.h"

namespace quenora {
namespace {

using namespace std::chrono_literals;
using testing::FakeFolderTree;

// Holds a worker inside the root's listing until the test lets it go.
class Gate {
 public:
  void Pass() {
    std::unique_lock<std::mutex> hold(mutex_);
    arrived_ = true;
    changed_.notify_all();
    changed_.wait(hold, [&] { return open_; });
  }
  void AwaitArrival() {
    std::unique_lock<std::mutex> hold(mutex_);
    ASSERT_TRUE(changed_.wait_for(hold, 10s, [&] { return arrived_; }));
  }
  void Open() {
    const std::lock_guard<std::mutex> hold(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool arrived_ = false;
  bool open_ = false;
};

class DriveScansTest : public ::testing::Test {
 protected:
  DriveScansTest() {
    scans_ = std::make_unique<DriveScans>(tree_, [wakes = wakes_] {
      const std::lock_guard<std::mutex> hold(wakes->mutex);
      ++wakes->count;
      wakes->changed.notify_all();
    });
  }
  ~DriveScansTest() override { gate_.Open(); }

  void Hold(const std::string& drive) {
    tree_->onListing = [this, root = drive + "\\"](std::string_view path) {
      if (path == root) gate_.Pass();
    };
  }
  // Waits until `count` wakes have come in all.
  void AwaitWakes(int count) {
    std::unique_lock<std::mutex> hold(wakes_->mutex);
    ASSERT_TRUE(wakes_->changed.wait_for(hold, 10s, [&] { return wakes_->count >= count; }));
  }

  struct Wakes {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
  };
  const std::shared_ptr<FakeFolderTree> tree_ = std::make_shared<FakeFolderTree>();
  const std::shared_ptr<Wakes> wakes_ = std::make_shared<Wakes>();
  Gate gate_;
  std::unique_ptr<DriveScans> scans_;
};

TEST_F(DriveScansTest, AFinishedScanIsTakenOnTheOwnersThreadAndTheLastTwoAreKept) {
  EXPECT_FALSE(scans_->LastScanTime("D:"));
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    tree_->AddFile("D:\\f" + std::to_string(round), 10);
    scans_->StartScan("D:");
    AwaitWakes(round);
    const ScanSource::State waiting = scans_->StateOf("D:");
    EXPECT_TRUE(waiting.running);
    EXPECT_EQ(waiting.latest == nullptr, round == 1);

    EXPECT_EQ(scans_->TakeFinished(), std::vector<std::string>{"D:"});
    const ScanSource::State state = scans_->StateOf("d:\\");
    EXPECT_FALSE(state.running);
    ASSERT_NE(state.latest, nullptr);
    EXPECT_EQ(state.latest->folders[0].bytes, 10u * static_cast<unsigned>(round));
    if (round > 1) {
      ASSERT_NE(state.previous, nullptr);
      EXPECT_EQ(state.previous->folders[0].bytes, 10u * static_cast<unsigned>(round - 1));
    }
  }
  EXPECT_EQ(scans_->LastScanTime("D:"), scans_->StateOf("D:").latest->finished);
  EXPECT_TRUE(scans_->TakeFinished().empty());
}

TEST_F(DriveScansTest, ACancelledScanEndsAndNothingOfItIsKept) {
  tree_->AddFile("D:\\f", 10);
  Hold("D:");
  scans_->StartScan("D:");
  scans_->StartScan("D:");  // one at a time
  gate_.AwaitArrival();
  EXPECT_TRUE(scans_->StateOf("D:").running);

  scans_->CancelScan("D:");
  EXPECT_FALSE(scans_->StateOf("D:").running);
  gate_.Open();
  AwaitWakes(1);
  EXPECT_TRUE(scans_->TakeFinished().empty());
  EXPECT_EQ(scans_->StateOf("D:").latest, nullptr);
  EXPECT_EQ(tree_->listings, 1);
}

TEST_F(DriveScansTest, AnOwnerGoneWhileAWorkerIsInsideAListingLeavesItNothingFreed) {
  tree_->AddFile("D:\\sub\\f", 10);
  Hold("D:");
  scans_->StartScan("D:");
  gate_.AwaitArrival();
  scans_.reset();
  gate_.Open();
  // The worker gives the listing back when it ends; it never wakes an owner that is gone.
  for (int i = 0; i < 1000 && tree_.use_count() > 1; ++i) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(tree_.use_count(), 1);
  EXPECT_EQ(tree_->listings, 1);
  const std::lock_guard<std::mutex> hold(wakes_->mutex);
  EXPECT_EQ(wakes_->count, 0);
}

}  // namespace
}  // namespace quenora
