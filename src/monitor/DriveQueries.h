#pragma once
// Each drive's free-space query and volume-label read, run on a worker thread of that drive's
// own, so that a drive that doesn't answer holds up the check cycle for a bounded time only.
//
// A disconnected network drive can keep the free-space call waiting for 30 seconds and more;
// the cycle runs on the window's thread, and the tray menu and the options window must not
// freeze with it. A query that hasn't answered by its deadline counts as failed; no second
// query for that drive starts while the first is still outstanding, and its late answer is
// dropped. A drive that answers costs exactly one call per question.
//
// A local disk answers from the file system's memory at once: it is asked directly, which saves
// the hand-over to another thread on every tick and keeps a program that watches local disks
// only free of threads. The kind is read again after 256 queries and after any failure, so a
// letter that now names a network drive goes to a worker.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "monitor/FreeSpace.h"
#include "platform/DiskSpace.h"

namespace quenora {

class DriveQueries {
 public:
  using Clock = std::chrono::steady_clock;

  // Which query of which drive an answer belongs to; 0 is a query that couldn't be started.
  using Ticket = std::uint64_t;

  // A worker with nothing to do for `idleWorkerEnds` ends; the next question starts a new one.
  DriveQueries(FreeSpace& freeSpace, DiskSpaceApi& disks,
               Clock::duration idleWorkerEnds = std::chrono::seconds(10));
  // Idle workers end at once. A worker still caught in a call is left to finish it on its own
  // and touches only state it shares with nobody else afterwards.
  ~DriveQueries();
  DriveQueries(const DriveQueries&) = delete;
  DriveQueries& operator=(const DriveQueries&) = delete;

  // Starts the free-space query of `drive` ("C:"); 0 while an earlier one is outstanding.
  Ticket StartSpaceQuery(std::string_view drive);
  // The answer to `ticket`, waiting for it until `deadline`; not ok once that has passed.
  DriveSpace SpaceAnswer(Ticket ticket, Clock::time_point deadline);
  // The volume label of `drive`, asked and waited for within `patience`; empty when there is
  // none, it can't be read, or it doesn't come in time.
  std::string VolumeLabel(std::string_view drive, Clock::duration patience);

  // Queries started and not answered yet (the late ones included).
  int Outstanding() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  FreeSpace& freeSpace_;
  DiskSpaceApi& disks_;
};

}  // namespace quenora
