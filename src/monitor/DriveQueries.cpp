#include "monitor/DriveQueries.h"

#include <array>
#include <chrono>
#include <utility>

#include "platform/Sync.h"

namespace quenora {

namespace {

// One letter for each of A to Z, and one for a name that isn't a letter.
constexpr std::size_t kLetters = 27;
// A drive's kind is read before its first query and again after this many, in case its letter
// now names another drive (which it can hardly do without failing a query in between).
constexpr int kQueriesPerKindRead = 256;

std::size_t LetterOf(std::string_view drive) {
  const char letter = drive.empty() ? '\0' : drive[0];
  if (letter >= 'A' && letter <= 'Z') return static_cast<std::size_t>(letter - 'A');
  if (letter >= 'a' && letter <= 'z') return static_cast<std::size_t>(letter - 'a');
  return kLetters - 1;
}

std::string RootOf(std::string_view drive) {
  return std::string(drive) + "\\";
}

}  // namespace

struct DriveQueries::Shared {
  enum Job : std::size_t { kSpace = 0, kLabel = 1 };

  // One kind of question about one drive letter: its worker, the question and the last answer.
  struct Line {
    // Its worker; not started while there is none. A worker that ends for lack of work lets go
    // of its thread itself, so an idle program holds neither the thread nor its handle.
    Thread thread;
    Condition jobArrived;
    bool queued = false;  // a question waits for the worker to take it up
    bool busy = false;    // a question is on its way to the disk service or back
    std::string drive;
    bool withDiskFreeSpaceEx = false;  // the call the question is asked with
    Clock::time_point askedAt{};
    bool fresh = false;  // an answer is there that nobody has taken yet
    DriveSpace space;
    std::string label;
  };

  struct Letter {
    // Local disks answer at once and are asked directly, without a worker, as long as they do;
    // every other kind is asked by the workers.
    bool localDisk = false;
    bool answeredSlowly = false;
    int queriesUntilKindRead = 0;
    std::array<Line, 2> lines;
  };

  Shared(std::shared_ptr<DiskSpaceApi> diskService, Clock::duration idleTime,
         Clock::duration slowTime)
      : disks(std::move(diskService)), idleWorkerEnds(idleTime), slowAnswer(slowTime) {}

  // Held here, not by the owner: a worker caught in a call when the owner goes returns into it.
  const std::shared_ptr<DiskSpaceApi> disks;
  const Clock::duration idleWorkerEnds;
  // A local disk whose direct answer took this long is asked by its workers from then on.
  const Clock::duration slowAnswer;
  mutable Lock lock;
  Condition answered;
  bool stopping = false;
  int outstanding = 0;
  std::array<Letter, kLetters> letters;

  void Store(Letter& letter, Job job, DriveSpace space, std::string label) {
    Line& line = letter.lines[job];
    if (job == kSpace) {
      line.space = space;
      // A drive that fails may come back as another drive: its kind is read again.
      if (!space.ok) letter.queriesUntilKindRead = 0;
    } else {
      line.label = std::move(label);
    }
    line.fresh = true;
    line.busy = false;
    --outstanding;
  }

  // Asks `drive` the question `job`, directly or through its worker, which is started on first
  // use. Called and returns with the lock held; nothing is asked while an earlier question of
  // the same kind is outstanding.
  void Ask(Hold& hold, const std::shared_ptr<Shared>& self, bool withDiskFreeSpaceEx, Job job,
           std::string_view drive) {
    const std::size_t index = LetterOf(drive);
    Letter& letter = letters[index];
    Line& line = letter.lines[job];
    if (line.busy) return;
    line.busy = true;
    line.askedAt = Clock::now();
    ++outstanding;

    if (job == kSpace) {
      if (letter.queriesUntilKindRead == 0) {
        // The kind comes from the system's own tables, never from the drive: read here, it
        // keeps a local disk from ever needing a thread.
        hold.Release();
        const bool localDisk = disks->KindOfDrive(RootOf(drive)) == DriveKind::LocalDisk;
        hold.Retake();
        letter.localDisk = localDisk;
        letter.queriesUntilKindRead = kQueriesPerKindRead;
      }
      --letter.queriesUntilKindRead;
    }
    // A label asked before any free space goes to the worker: the kind isn't known yet.
    bool direct = letter.localDisk && !letter.answeredSlowly;
    if (!direct && !line.thread.Started()) {
      auto* start = new WorkerStart{self, index, job};
      if (!line.thread.Start(Run, start)) {
        delete start;
        // No thread to be had (the system is out of resources): asked directly, rather than
        // never at all.
        direct = true;
      }
    }
    if (direct) {
      hold.Release();
      const Clock::time_point began = Clock::now();
      DriveSpace space;
      std::string label;
      if (job == kSpace) {
        space = QueryDriveSpace(*disks, withDiskFreeSpaceEx, drive);
      } else {
        label = disks->VolumeLabel(RootOf(drive));
      }
      const bool slow = Clock::now() - began >= slowAnswer;
      hold.Retake();
      // A fixed disk can keep its caller waiting too: a USB disk spinning up or failing, an
      // iSCSI disk, a virtual disk on a network share. One that has been slow once is asked by
      // its workers from then on, for as long as the program runs, so that it can't hold up the
      // window again for longer than the cycle waits.
      if (slow) letter.answeredSlowly = true;
      Store(letter, job, space, std::move(label));
      return;
    }
    line.queued = true;
    line.drive = drive;
    line.withDiskFreeSpaceEx = withDiskFreeSpaceEx;
    line.jobArrived.WakeAll();
  }

  // Waits with the lock held until `line` has no question outstanding or `deadline` passes.
  void AwaitAnswer(const Line& line, Clock::time_point deadline) {
    while (line.busy) {
      if (!answered.WaitUntil(lock, deadline) && line.busy) return;
    }
  }

  struct WorkerStart {
    std::shared_ptr<Shared> self;
    std::size_t index;
    Job job;
  };

  // A worker's life: waits for a question, asks it, stores the answer, until told to stop.
  // It holds the shared state itself, and with it the disk service, so one still caught in a
  // call when its owner is gone returns into state that is still there.
  static void Run(void* argument) {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    Shared& shared = *start->self;
    Letter& letter = shared.letters[start->index];
    const Job job = start->job;
    Line& line = letter.lines[job];
    Hold hold(shared.lock);
    for (;;) {
      const auto idleUntil = Condition::Clock::now() + shared.idleWorkerEnds;
      while (!line.queued && !shared.stopping) {
        if (!line.jobArrived.WaitUntil(shared.lock, idleUntil) && !line.queued) {
          // The next question starts a new worker. What this one still does after the lock is
          // let go touches only its own stack and the shared state, which it holds itself.
          line.thread.Detach();
          return;
        }
      }
      // Stopping: a question not taken up yet was cancelled by the owner on its way out.
      if (!line.queued || shared.stopping) return;
      const std::string drive = line.drive;
      const bool withDiskFreeSpaceEx = line.withDiskFreeSpaceEx;
      line.queued = false;

      hold.Release();
      DriveSpace space;
      std::string label;
      if (job == kSpace) {
        space = QueryDriveSpace(*shared.disks, withDiskFreeSpaceEx, drive);
      } else {
        label = shared.disks->VolumeLabel(RootOf(drive));
      }
      hold.Retake();

      // An answer that comes after the cycle's deadline is kept until a cycle takes it.
      shared.Store(letter, job, space, std::move(label));
      shared.answered.WakeAll();
    }
  }
};

DriveQueries::DriveQueries(const FreeSpace& freeSpace, std::shared_ptr<DiskSpaceApi> disks,
                           Clock::duration idleWorkerEnds, Clock::duration slowAnswer)
    : shared_(std::make_shared<Shared>(std::move(disks), idleWorkerEnds, slowAnswer)),
      freeSpace_(freeSpace) {}

DriveQueries::~DriveQueries() {
  Hold hold(shared_->lock);
  shared_->stopping = true;
  for (Shared::Letter& letter : shared_->letters) {
    for (Shared::Line& line : letter.lines) {
      if (!line.thread.Started()) continue;
      // A question its worker hasn't taken up yet is never asked: nobody is left to take its
      // answer, and a drive that hangs would only keep the worker from ending.
      if (line.queued) {
        line.queued = false;
        line.busy = false;
        --shared_->outstanding;
      }
      line.jobArrived.WakeAll();
      // One caught in a call may stay there for a long time; the process doesn't wait for it.
      if (line.busy) line.thread.Detach();
    }
  }
  hold.Release();
  for (Shared::Letter& letter : shared_->letters) {
    for (Shared::Line& line : letter.lines) {
      if (line.thread.Started()) line.thread.Join();
    }
  }
}

void DriveQueries::StartSpaceQuery(std::string_view drive) {
  Hold hold(shared_->lock);
  shared_->Ask(hold, shared_, freeSpace_.OSFat32Support != 0, Shared::kSpace, drive);
}

DriveQueries::SpaceReading DriveQueries::TakeSpaceAnswer(std::string_view drive,
                                                         Clock::time_point deadline) {
  Hold hold(shared_->lock);
  Shared::Line& line = shared_->letters[LetterOf(drive)].lines[Shared::kSpace];
  shared_->AwaitAnswer(line, deadline);
  SpaceReading reading;
  if (line.fresh) {
    line.fresh = false;
    reading.answered = true;
    reading.space = line.space;
  } else if (line.busy) {
    reading.askedAt = line.askedAt;
  } else {
    // Nothing asked, nothing to take: the drive can't be read.
    reading.answered = true;
  }
  return reading;
}

DriveQueries::LabelReading DriveQueries::ReadVolumeLabel(std::string_view drive,
                                                         Clock::time_point deadline) {
  Hold hold(shared_->lock);
  shared_->Ask(hold, shared_, freeSpace_.OSFat32Support != 0, Shared::kLabel, drive);
  Shared::Line& line = shared_->letters[LetterOf(drive)].lines[Shared::kLabel];
  shared_->AwaitAnswer(line, deadline);
  return {!line.busy, line.label};
}

DriveQueries::LabelReading DriveQueries::LastVolumeLabel(std::string_view drive) const {
  Hold hold(shared_->lock);
  const Shared::Line& line = shared_->letters[LetterOf(drive)].lines[Shared::kLabel];
  return {!line.busy, line.label};
}

int DriveQueries::Workers() const {
  Hold hold(shared_->lock);
  int workers = 0;
  for (const Shared::Letter& letter : shared_->letters) {
    for (const Shared::Line& line : letter.lines) workers += line.thread.Started() ? 1 : 0;
  }
  return workers;
}

int DriveQueries::Outstanding() const {
  Hold hold(shared_->lock);
  return shared_->outstanding;
}

}  // namespace quenora
