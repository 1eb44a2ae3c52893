#include "scan/DriveScans.h"

#include <atomic>
#include <utility>

#include "platform/SteadyClock.h"
#include "platform/Sync.h"

namespace quenora {

namespace {

// "d:" and "D:\" are both the drive "D:".
std::string DriveName(std::string_view drive) {
  while (!drive.empty() && drive.back() == '\\') drive.remove_suffix(1);
  std::string name(drive);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

}  // namespace

// One scan of one drive, from its start until the owner has joined its worker.
struct DriveScans::Job {
  explicit Job(std::string name) : drive(std::move(name)) {}

  const std::string drive;
  const std::chrono::system_clock::time_point started = std::chrono::system_clock::now();
  // The run time is measured on the steady clock: the wall clock may be set meanwhile.
  const SteadyClock::time_point startedSteady = SteadyClock::now();
  std::chrono::nanoseconds took{};  // with `result`
  std::atomic<bool> cancel{false};
  ScanProgress progress;
  Thread thread;       // started, joined or detached by the owner only
  bool ended = false;  // under Shared::lock; `result` is the worker's no more
  DriveScan result;
};

// What the owner and its workers share. Each worker holds it too, so one still inside a
// listing when the owner goes returns into state, and a listing service, that are still there.
struct DriveScans::Shared {
  Shared(std::shared_ptr<FolderListing> service, std::function<void()> wakeOwner,
         std::size_t maxFolders)
      : listing(std::move(service)), wake(std::move(wakeOwner)), maxKeptFolders(maxFolders) {}

  const std::shared_ptr<FolderListing> listing;
  const std::function<void()> wake;
  const std::size_t maxKeptFolders;
  Lock lock;
  bool ownerGone = false;  // under lock

  struct WorkerStart {
    std::shared_ptr<Shared> self;
    std::shared_ptr<Job> job;
  };

  static void Run(void* argument) {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    Shared& shared = *start->self;
    Job& job = *start->job;
    DriveScan scan;
    {
      // A whole drive is read: the user's own programs go first, at the disk too.
      const BackgroundWork background;
      scan = ScanDrive(*shared.listing, job.drive, job.cancel, job.progress, shared.maxKeptFolders);
    }
    Hold hold(shared.lock);
    job.took = SteadyClock::now() - job.startedSteady;
    job.result = std::move(scan);
    job.ended = true;
    // Called with the lock held: an owner on its way out takes the lock to say so, and then
    // whatever `wake` reaches (the window) may be gone.
    if (!shared.ownerGone && shared.wake) shared.wake();
  }
};

DriveScans::DriveScans(std::shared_ptr<FolderListing> listing, std::function<void()> wake,
                       std::size_t maxKeptFolders)
    : shared_(std::make_shared<Shared>(std::move(listing), std::move(wake), maxKeptFolders)) {}

DriveScans::~DriveScans() {
  for (const auto& job : jobs_) job->cancel.store(true);
  std::vector<bool> ended;
  {
    Hold hold(shared_->lock);
    shared_->ownerGone = true;
    for (const auto& job : jobs_) ended.push_back(job->ended);
  }
  for (std::size_t i = 0; i < jobs_.size(); ++i) {
    // One that has ended is past its last look at the shared state; one still inside a
    // listing (a network drive that doesn't answer) may stay there for long, and the program
    // doesn't wait for it.
    if (ended[i]) {
      jobs_[i]->thread.Join();
    } else {
      jobs_[i]->thread.Detach();
    }
  }
}

DriveScans::Drive* DriveScans::Find(std::string_view drive) {
  return const_cast<Drive*>(static_cast<const DriveScans&>(*this).Find(drive));
}

const DriveScans::Drive* DriveScans::Find(std::string_view drive) const {
  const std::string name = DriveName(drive);
  if (name.size() != 2 || name[1] != ':' || name[0] < 'A' || name[0] > 'Z') return nullptr;
  return &drives_[static_cast<std::size_t>(name[0] - 'A')];
}

ScanSource::State DriveScans::StateOf(std::string_view drive) {
  State state;
  const Drive* found = Find(drive);
  if (!found) return state;
  const Drive& d = *found;
  state.latest = d.latest.get();
  state.previous = d.previous.get();
  state.latestStarted = d.latestStarted;
  state.latestTook = d.latestTook;
  if (d.running) {
    state.running = true;
    state.foldersSoFar = d.running->progress.folders.load(std::memory_order_relaxed);
    state.bytesSoFar = d.running->progress.bytes.load(std::memory_order_relaxed);
  }
  return state;
}

void DriveScans::StartScan(std::string_view drive) {
  Drive* found = Find(drive);
  if (!found || found->running) return;
  Drive& d = *found;
  auto job = std::make_shared<Job>(DriveName(drive));
  auto* start = new Shared::WorkerStart{shared_, job};
  if (!job->thread.Start(Shared::Run, start)) {
    // No thread to be had: the drive simply shows no running scan, and may be asked again.
    delete start;
    return;
  }
  d.running = job.get();
  jobs_.push_back(std::move(job));
}

void DriveScans::CancelScan(std::string_view drive) {
  Drive* found = Find(drive);
  if (!found || !found->running) return;
  // The drive is free for a new scan at once; the worker ends soon, its scan is dropped
  // when it is taken.
  found->running->cancel.store(true);
  found->running = nullptr;
}

std::vector<std::string> DriveScans::TakeFinished() {
  std::vector<std::shared_ptr<Job>> ended;
  {
    Hold hold(shared_->lock);
    for (const auto& job : jobs_) {
      if (job->ended) ended.push_back(job);
    }
    std::erase_if(jobs_, [](const std::shared_ptr<Job>& job) { return job->ended; });
  }
  std::vector<std::string> taken;
  for (const auto& job : ended) {
    job->thread.Join();  // it ends right after the hand-over
    Drive* found = Find(job->drive);
    if (!found || found->running != job.get()) continue;  // cancelled
    Drive& d = *found;
    d.running = nullptr;
    if (!job->result.complete) continue;
    d.previous = std::move(d.latest);
    d.latest = std::make_unique<DriveScan>(std::move(job->result));
    d.latestStarted = job->started;
    d.latestTook = job->took;
    taken.push_back(job->drive);
  }
  return taken;
}

}  // namespace quenora
