#include "monitor/DriveQueries.h"

#include <array>
#include <chrono>

#include "platform/Sync.h"

namespace quenora {

namespace {

// One worker per drive letter, and one for a name that isn't a letter.
constexpr std::size_t kWorkers = 27;
constexpr DriveQueries::Ticket kNoTicket = 0;
// A drive's kind is read before its first query and again after this many, in case its letter
// now names another drive (which it can hardly do without failing a query in between).
constexpr int kQueriesPerKindRead = 256;

std::size_t WorkerOf(std::string_view drive) {
  const char letter = drive.empty() ? '\0' : drive[0];
  if (letter >= 'A' && letter <= 'Z') return static_cast<std::size_t>(letter - 'A');
  if (letter >= 'a' && letter <= 'z') return static_cast<std::size_t>(letter - 'a');
  return kWorkers - 1;
}

std::string RootOf(std::string_view drive) {
  return std::string(drive) + "\\";
}

}  // namespace

struct DriveQueries::Shared {
  enum class Job { None, Space, Label };

  struct Worker {
    Thread thread;
    bool ended = false;  // its thread has ended for lack of work
    Condition jobArrived;
    Job job = Job::None;
    std::string drive;
    Ticket ticket = kNoTicket;
    bool busy = false;      // a question is on its way to the disk service or back
    // Local disks answer at once and are asked directly, without the worker; every other kind
    // is asked by the worker.
    bool localDisk = false;
    int queriesUntilKindRead = 0;
    Ticket spaceTicket = kNoTicket;
    DriveSpace space;
    Ticket labelTicket = kNoTicket;
    std::string label;
  };

  explicit Shared(Clock::duration idleTime) : idleWorkerEnds(idleTime) {}

  const Clock::duration idleWorkerEnds;
  Lock lock;
  Condition answered;
  bool stopping = false;
  std::uint64_t lastSequence = 0;
  int outstanding = 0;
  std::array<Worker, kWorkers> workers;

  // The worker's number rides in the low bits, so every ticket names its worker.
  Ticket NewTicket(std::size_t index) { return ++lastSequence * 32 + index + 1; }

  static void Store(Worker& worker, Job job, Ticket ticket, DriveSpace space, std::string label) {
    if (job == Job::Space) {
      worker.spaceTicket = ticket;
      worker.space = space;
      // A drive that fails may come back as another drive: its kind is read again.
      if (!space.ok) worker.queriesUntilKindRead = 0;
    } else {
      worker.labelTicket = ticket;
      worker.label = std::move(label);
    }
  }

  // Asks `drive` the question `job`, directly or through its worker, which is started on first
  // use. Called and returns with the lock held; 0 while an earlier question is outstanding.
  Ticket Ask(Hold& hold, const std::shared_ptr<Shared>& self, FreeSpace& freeSpace,
             DiskSpaceApi& disks, Job job, std::string_view drive) {
    const std::size_t index = WorkerOf(drive);
    Worker& worker = workers[index];
    if (worker.busy) return kNoTicket;
    const Ticket ticket = NewTicket(index);
    worker.busy = true;

    if (job == Job::Space && worker.queriesUntilKindRead == 0) {
      // The kind comes from the system's own tables, never from the drive: read here, it
      // keeps a local disk from ever needing a thread.
      hold.Release();
      const bool localDisk = disks.KindOfDrive(RootOf(drive)) == DriveKind::LocalDisk;
      hold.Retake();
      worker.localDisk = localDisk;
      worker.queriesUntilKindRead = kQueriesPerKindRead;
    }
    if (job == Job::Space) --worker.queriesUntilKindRead;
    // A label asked before any free space goes to the worker: the kind isn't known yet.
    bool direct = worker.localDisk && worker.queriesUntilKindRead > 0;
    if (!direct && worker.ended) {
      worker.thread.Join();  // past its last look at the shared state
      worker.ended = false;
    }
    if (!direct && !worker.thread.Started()) {
      auto* start = new WorkerStart{self, freeSpace, disks, index};
      if (!worker.thread.Start(Run, start)) {
        delete start;
        // No thread to be had (the system is out of resources): asked directly, rather than
        // never at all.
        direct = true;
        worker.localDisk = false;
        worker.queriesUntilKindRead = kQueriesPerKindRead;
      }
    }
    ++outstanding;
    if (direct) {
      hold.Release();
      DriveSpace space;
      std::string label;
      if (job == Job::Space) {
        space = freeSpace.QueryDriveSpace(drive);
      } else {
        label = disks.VolumeLabel(RootOf(drive));
      }
      hold.Retake();
      Store(worker, job, ticket, space, std::move(label));
      worker.busy = false;
      --outstanding;
      return ticket;
    }
    worker.ticket = ticket;
    worker.job = job;
    worker.drive = drive;
    worker.jobArrived.WakeAll();
    return ticket;
  }

  struct WorkerStart {
    std::shared_ptr<Shared> self;
    FreeSpace& freeSpace;
    DiskSpaceApi& disks;
    std::size_t index;
  };

  // A worker's life: waits for a question, asks it, stores the answer, until told to stop.
  // It holds the shared state itself, so one still caught in a call when its owner is gone
  // returns into state that is still there.
  static void Run(void* argument) {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    Shared& shared = *start->self;
    FreeSpace& freeSpace = start->freeSpace;
    DiskSpaceApi& disks = start->disks;
    Worker& worker = shared.workers[start->index];
    Hold hold(shared.lock);
    for (;;) {
      const auto idleUntil = Condition::Clock::now() + shared.idleWorkerEnds;
      while (worker.job == Job::None && !shared.stopping) {
        if (!worker.jobArrived.WaitUntil(shared.lock, idleUntil) && worker.job == Job::None) {
          worker.ended = true;
          return;
        }
      }
      if (worker.job == Job::None) return;  // stopping, and nothing asked
      const Job job = worker.job;
      const Ticket ticket = worker.ticket;
      const std::string drive = worker.drive;
      worker.job = Job::None;

      hold.Release();
      DriveSpace space;
      std::string label;
      if (job == Job::Space) {
        space = freeSpace.QueryDriveSpace(drive);
      } else {
        label = disks.VolumeLabel(RootOf(drive));
      }
      hold.Retake();

      // A late answer is kept under its own ticket, which nobody waits for any more: it is
      // never taken for a later question.
      Store(worker, job, ticket, space, std::move(label));
      worker.busy = false;
      --shared.outstanding;
      shared.answered.WakeAll();
    }
  }
};

DriveQueries::DriveQueries(FreeSpace& freeSpace, DiskSpaceApi& disks,
                           Clock::duration idleWorkerEnds)
    : shared_(std::make_shared<Shared>(idleWorkerEnds)), freeSpace_(freeSpace), disks_(disks) {}

DriveQueries::~DriveQueries() {
  Hold hold(shared_->lock);
  shared_->stopping = true;
  for (Shared::Worker& worker : shared_->workers) {
    if (!worker.thread.Started()) continue;
    worker.jobArrived.WakeAll();
    // One caught in a call may stay there for a long time; the process doesn't wait for it.
    if (worker.busy) worker.thread.Detach();
  }
  hold.Release();
  for (Shared::Worker& worker : shared_->workers) {
    if (worker.thread.Started()) worker.thread.Join();
  }
}

DriveQueries::Ticket DriveQueries::StartSpaceQuery(std::string_view drive) {
  Hold hold(shared_->lock);
  return shared_->Ask(hold, shared_, freeSpace_, disks_, Shared::Job::Space, drive);
}

DriveSpace DriveQueries::SpaceAnswer(Ticket ticket, Clock::time_point deadline) {
  if (ticket == kNoTicket) return {};
  Hold hold(shared_->lock);
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
  Hold hold(shared_->lock);
  const Ticket ticket = shared_->Ask(hold, shared_, freeSpace_, disks_, Shared::Job::Label, drive);
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
  Hold hold(shared_->lock);
  return shared_->outstanding;
}

}  // namespace quenora
