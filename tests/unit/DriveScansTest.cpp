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

// What the workers and the test share: the wakes so far, and a gate that can hold a worker
// inside the root's listing.
struct Signals {
  std::mutex mutex;
  std::condition_variable changed;
  int wakes = 0;
  bool arrived = false;
  bool open = true;

  template <typename Predicate>
  void Await(Predicate done) {
    std::unique_lock<std::mutex> hold(mutex);
    ASSERT_TRUE(changed.wait_for(hold, 10s, done));
  }
  void Set(bool Signals::*flag, bool value) {
    const std::lock_guard<std::mutex> hold(mutex);
    this->*flag = value;
    changed.notify_all();
  }
};

class DriveScansTest : public ::testing::Test {
 protected:
  DriveScansTest() {
    tree_->onListing = [signals = signals_](std::string_view path) {
      if (path != "D:\\") return;
      signals->Set(&Signals::arrived, true);
      signals->Await([&] { return signals->open; });
    };
    scans_ = std::make_unique<DriveScans>(tree_, [signals = signals_] {
      const std::lock_guard<std::mutex> hold(signals->mutex);
      ++signals->wakes;
      signals->changed.notify_all();
    });
  }
  ~DriveScansTest() override { signals_->Set(&Signals::open, true); }

  void StartHeld() {  // holds the worker inside the root's listing
    signals_->Set(&Signals::open, false);
    scans_->StartScan("D:");
    signals_->Await([&] { return signals_->arrived; });
  }

  const std::shared_ptr<testing::FakeFolderTree> tree_ =
      std::make_shared<testing::FakeFolderTree>();
  const std::shared_ptr<Signals> signals_ = std::make_shared<Signals>();
  std::unique_ptr<DriveScans> scans_;
};

TEST_F(DriveScansTest, AFinishedScanIsTakenOnTheOwnersThreadAndTheLastTwoAreKept) {
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    tree_->AddFile("D:\\f" + std::to_string(round), 10);
    scans_->StartScan("D:");
    signals_->Await([&] { return signals_->wakes == round; });
    EXPECT_TRUE(scans_->StateOf("D:").running);
    EXPECT_EQ(scans_->StateOf("D:").latest == nullptr, round == 1);
    EXPECT_EQ(scans_->TakeFinished(), std::vector<std::string>{"D:"});
    const ScanSource::State state = scans_->StateOf("d:\\");
    EXPECT_FALSE(state.running);
    ASSERT_NE(state.latest, nullptr);
    EXPECT_EQ(state.latest->folders[0].bytes, 10u * static_cast<unsigned>(round));
    EXPECT_TRUE(state.latest->finished - state.latestStarted < 10s && state.latestTook > 0ns);
  }
  const ScanSource::State state = scans_->StateOf("D:");
  ASSERT_NE(state.previous, nullptr);
  EXPECT_EQ(state.previous->folders[0].bytes, 20u);  // the first one dropped
}

TEST_F(DriveScansTest, ACancelledScanEndsAndNothingOfItIsKept) {
  tree_->AddFile("D:\\f", 10);
  StartHeld();
  scans_->StartScan("D:");  // one at a time
  EXPECT_TRUE(scans_->StateOf("D:").running);
  scans_->CancelScan("D:");
  EXPECT_FALSE(scans_->StateOf("D:").running);
  signals_->Set(&Signals::open, true);
  signals_->Await([&] { return signals_->wakes == 1; });
  EXPECT_TRUE(scans_->TakeFinished().empty());
  EXPECT_EQ(scans_->StateOf("D:").latest, nullptr);
  EXPECT_EQ(tree_->listings, 1);
}

TEST_F(DriveScansTest, AnOwnerGoneWhileAWorkerIsInsideAListingLeavesItNothingFreed) {
  tree_->AddFile("D:\\sub\\f", 10);
  StartHeld();
  scans_.reset();
  signals_->Set(&Signals::open, true);
  // The worker gives the listing back when it ends, and never wakes an owner that is gone.
  for (int i = 0; i < 1000 && tree_.use_count() > 1; ++i) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(tree_.use_count(), 1);
  EXPECT_EQ(tree_->listings, 1);
  const std::lock_guard<std::mutex> hold(signals_->mutex);
  EXPECT_EQ(signals_->wakes, 0);
}

}  // namespace
}  // namespace quenora
