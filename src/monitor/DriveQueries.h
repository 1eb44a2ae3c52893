#pragma once
// Each drive's free-space query and volume-label read, each run on a worker thread of its own,
// so that a drive that doesn't answer holds up the check cycle for a bounded time only.
//
// A disconnected network drive can keep the free-space call waiting for 30 seconds and more,
// and a NAS waking up or a share behind a VPN needs several seconds for every answer; the cycle
// runs on the window's thread, and the tray menu and the options window must not freeze with
// it. A question not answered by the cycle's deadline stays outstanding: no second question of
// the same kind starts for that drive meanwhile, and its answer, when it comes, is kept for the
// next cycle. Space and label have a worker each, so a slow label never holds up the free space.
// A drive that answers costs exactly one call per question.
//
// A local disk answers from the file system's memory at once: it is asked directly, which saves
// the hand-over to another thread on every tick and keeps a program that watches local disks
// only free of threads, but only while it answers fast: one whose answer took 100 ms is asked by
// its workers from then on. The kind is read again after 256 queries and after any failure, so
// a letter that now names a network drive goes to a worker.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "monitor/FreeSpace.h"
#include "platform/DiskSpace.h"
#include "platform/SteadyClock.h"

namespace quenora {

class DriveQueries {
 public:
  using Clock = SteadyClock;

  // The free space of a drive as the cycle finds it.
  struct SpaceReading {
    // False while the drive's question is still outstanding and no answer is there to take.
    bool answered = false;
    DriveSpace space;             // with answered
    Clock::time_point askedAt{};  // without answered: when the outstanding question was asked
  };

  // The volume label last read, and whether that read is over (no read still under way).
  struct LabelReading {
    bool current = false;
    std::string label;
  };

  // `freeSpace` chooses the call the drives are asked with; the disk service is shared with
  // the workers, which keep it for as long as one of them is still caught in a call. A worker
  // with nothing to do for `idleWorkerEnds` ends; the next question starts a new one. A local
  // disk whose direct answer took `slowAnswer` is asked by its workers from then on.
  DriveQueries(const FreeSpace& freeSpace, std::shared_ptr<DiskSpaceApi> disks,
               Clock::duration idleWorkerEnds = std::chrono::seconds(10),
               Clock::duration slowAnswer = std::chrono::milliseconds(100));
  // Questions not yet taken up by a worker are cancelled, idle workers end at once. A worker
  // still caught in a call is left to finish it on its own: everything it touches from then
  // on, the disk service included, is held by the state it shares, never by the owner.
  ~DriveQueries();
  DriveQueries(const DriveQueries&) = delete;
  DriveQueries& operator=(const DriveQueries&) = delete;

  // Asks `drive` ("C:") for its free space, unless an earlier question is still outstanding.
  void StartSpaceQuery(std::string_view drive);
  // Takes the drive's answer, waiting for an outstanding one until `deadline`. An answer that
  // came after an earlier deadline is taken when the new one isn't there in time.
  SpaceReading TakeSpaceAnswer(std::string_view drive, Clock::time_point deadline);

  // Reads the drive's volume label, unless a read is still under way, and waits for it until
  // `deadline`; the label last read when it doesn't come in time.
  LabelReading ReadVolumeLabel(std::string_view drive, Clock::time_point deadline);
  // The label last read, without asking or waiting.
  LabelReading LastVolumeLabel(std::string_view drive) const;

  // Questions asked and not answered yet (the late ones included).
  int Outstanding() const;
  // Worker threads there are now: one per drive and kind of question that went to a worker,
  // until it has had nothing to do for `idleWorkerEnds`.
  int Workers() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  const FreeSpace& freeSpace_;
};

}  // namespace quenora
