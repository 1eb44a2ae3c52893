#include "monitor/DriveQueries.h"

#include <array>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/Sync.h"

namespace quenora {

namespace {

// One worker per drive letter, and one for a name that isn't a letter.
constexpr std::size_t kWorkers = 27;
constexpr DriveQueries::Ticket kNoTicket = 0;

std::size_t WorkerOf(std::string_view drive) {
  const char letter = drive.empty() ? '\0' : drive[0];
  if (letter >= 'A' && letter <= 'Z') return static_cast<std::size_t>(letter - 'A');
  if (letter >= 'a' && letter <= 'z') return static_cast<std::size_t>(letter - 'a');
  return kWorkers - 1;
}

}  // namespace

struct DriveQueries::Shared {
  enum class Job { None, Space, Label };

  struct Worker {
    std::thread thread;
    Condition jobArrived;
    Job job = Job::None;
    std::string drive;
    Ticket ticket = kNoTicket;
    bool busy = false;  // a question is on its way to the disk service or back
    Ticket spaceTicket = kNoTicket;
    DriveSpace space;
    Ticket labelTicket = kNoTicket;
    std::string label;
  };

  Lock lock;
  Condition answered;
  bool stopping = false;
  std::uint64_t lastSequence = 0;
  int outstanding = 0;
  std::array<Worker, kWorkers> workers;

  // Hands a question to the worker of `drive`, starting the worker on first use. The lock is
  // held.
  Ticket Ask(const std::shared_ptr<Shared>& self, FreeSpace& freeSpace, DiskSpaceApi& disks,
             Job job, std::string_view drive) {
    const std::size_t index = WorkerOf(drive);
    Worker& worker = workers[index];
    if (worker.busy) return kNoTicket;
    // The worker's number rides in the low bits, so every ticket names its worker.
    const Ticket ticket = ++lastSequence * 32 + index + 1;
    if (!worker.thread.joinable()) {
      try {
        worker.thread = std::thread(Run, self, std::ref(freeSpace), std::ref(disks), index);
      } catch (const std::system_error&) {
        // No thread to be had (the system is out of resources): asked directly, as before
        // there were workers, rather than never at all.
        if (job == Job::Space) {
          worker.spaceTicket = ticket;
          worker.space = freeSpace.QueryDriveSpace(drive);
        } else {
          worker.labelTicket = ticket;
          worker.label = disks.VolumeLabel(std::string(drive) + "\\");
        }
        return ticket;
      }
    }
    worker.ticket = ticket;
    worker.job = job;
    worker.drive = drive;
    worker.busy = true;
    ++outstanding;
    worker.jobArrived.WakeAll();
    return worker.ticket;
  }

  static void Run(std::shared_ptr<Shared> self, FreeSpace& freeSpace, DiskSpaceApi& disks,
                  std::size_t index) {
    Shared& shared = *self;
    Worker& worker = shared.workers[index];
    std::unique_lock<Lock> hold(shared.lock);
    for (;;) {
      while (worker.job == Job::None && !shared.stopping) worker.jobArrived.Wait(shared.lock);
      if (worker.job == Job::None) return;  // stopping, and nothing asked
      const Job job = worker.job;
      const Ticket ticket = worker.ticket;
      const std::string drive = worker.drive;
      worker.job = Job::None;

      hold.unlock();
      DriveSpace space;
      std::string label;
      if (job == Job::Space) {
        space = freeSpace.QueryDriveSpace(drive);
      } else {
        label = disks.VolumeLabel(drive + "\\");
      }
      hold.lock();

      // A late answer is kept under its own ticket, which nobody waits for any more: it is
      // never taken for a later question.
      if (job == Job::Space) {
        worker.spaceTicket = ticket;
        worker.space = space;
      } else {
        worker.labelTicket = ticket;
        worker.label = std::move(label);
      }
      worker.busy = false;
      --shared.outstanding;
      shared.answered.WakeAll();
    }
  }
};

DriveQueries::DriveQueries(FreeSpace& freeSpace, DiskSpaceApi& disks)
    : shared_(std::make_shared<Shared>()), freeSpace_(freeSpace), disks_(disks) {}

DriveQueries::~DriveQueries() {
  std::unique_lock<Lock> hold(shared_->lock);
  shared_->stopping = true;
  for (Shared::Worker& worker : shared_->workers) {
    if (!worker.thread.joinable()) continue;
    worker.jobArrived.WakeAll();
    // One caught in a call may stay there for a long time; the process doesn't wait for it.
    if (worker.busy) worker.thread.detach();
  }
  hold.unlock();
  for (Shared::Worker& worker : shared_->workers) {
    if (worker.thread.joinable()) worker.thread.join();
  }
}

DriveQueries::Ticket DriveQueries::StartSpaceQuery(std::string_view drive) {
  std::lock_guard<Lock> hold(shared_->lock);
  return shared_->Ask(shared_, freeSpace_, disks_, Shared::Job::Space, drive);
}

DriveSpace DriveQueries::SpaceAnswer(Ticket ticket, Clock::time_point deadline) {
  if (ticket == kNoTicket) return {};
  std::lock_guard<Lock> hold(shared_->lock);
  const Shared::Worker& worker = shared_->workers[(ticket - 1) % 32];
  while (worker.spaceTicket != ticket) {
    if (!shared_->answered.WaitUntil(shared_->lock, deadline) && worker.spaceTicket != ticket) {
      return {};
    }
  }
  return worker.space;
}

std::string DriveQueries::VolumeLabel(std::string_view drive, Clock::duration patience) {
  const Clock::time_point deadline = Clock::now() + patience;
  std::lock_guard<Lock> hold(shared_->lock);
  const Ticket ticket = shared_->Ask(shared_, freeSpace_, disks_, Shared::Job::Label, drive);
  if (ticket == kNoTicket) return {};
  const Shared::Worker& worker = shared_->workers[(ticket - 1) % 32];
  while (worker.labelTicket != ticket) {
    if (!shared_->answered.WaitUntil(shared_->lock, deadline) && worker.labelTicket != ticket) {
      return {};
    }
  }
  return worker.label;
}

int DriveQueries::Outstanding() const {
  std::lock_guard<Lock> hold(shared_->lock);
  return shared_->outstanding;
}

}  // namespace quenora
