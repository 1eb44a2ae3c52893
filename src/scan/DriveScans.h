#pragma once
// The folder scans of all drives: the last two finished ones of each drive, and at most one
// running per drive, each on a worker thread of its own at background priority.
//
// A worker hands its finished scan over through the shared state and calls `wake`; only
// TakeFinished, on the owner's thread, puts it in place, so that what StateOf hands out never
// changes under the window's feet.

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FolderListing.h"
#include "scan/FolderScanner.h"
#include "scan/ScanSource.h"

namespace quenora {

class DriveScans : public ScanSource {
 public:
  // `wake` is called on a worker's thread when its scan has ended, finished or cancelled,
  // but never once the owner is being destroyed; it must not call into this object (the
  // window posts itself a message and calls TakeFinished from there). The listing is shared
  // with the workers, which keep it while one is still inside a listing.
  DriveScans(std::shared_ptr<FolderListing> listing, std::function<void()> wake,
             std::size_t maxKeptFolders = kMaxKeptFolders);
  // Cancels every running scan; a worker still inside a listing ends on its own afterwards.
  ~DriveScans() override;
  DriveScans(const DriveScans&) = delete;
  DriveScans& operator=(const DriveScans&) = delete;

  State StateOf(std::string_view drive) override;
  void StartScan(std::string_view drive) override;
  void CancelScan(std::string_view drive) override;

  // Puts the scans that finished since the last call in place, each drive's newest first and
  // its oldest dropped; returns the drives that got one ("D:").
  std::vector<std::string> TakeFinished();

 private:
  struct Job;
  struct Shared;
  struct Drive {
    std::unique_ptr<DriveScan> latest;
    std::unique_ptr<DriveScan> previous;
    // When `latest` started, by the wall clock, and how long it ran.
    std::chrono::system_clock::time_point latestStarted{};
    std::chrono::nanoseconds latestTook{};
    Job* running = nullptr;
  };

  // The drive's entry by its letter; null for a name that is no drive ("D:", "d:\" are D:).
  Drive* Find(std::string_view drive);
  const Drive* Find(std::string_view drive) const;

  std::shared_ptr<Shared> shared_;
  std::array<Drive, 26> drives_;
  // Every job whose worker hasn't been joined yet, the cancelled ones included.
  std::vector<std::shared_ptr<Job>> jobs_;
};

}  // namespace quenora
