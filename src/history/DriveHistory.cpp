#include "history/DriveHistory.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quenora {

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min() / 2;
// The open slots reach the file at least this often, so that a crash costs at most this much.
constexpr std::int64_t kWriteEvery = 60;

constexpr HistoryResolution ResolutionOf(std::size_t ring) {
  return static_cast<HistoryResolution>(ring);
}

bool SamePlace(HistoryResolution resolution, const HistorySlot& a, const HistorySlot& b) {
  return HistorySlotOffset(resolution, a.start) == HistorySlotOffset(resolution, b.start);
}

// The same values, whatever the number of readings behind them.
bool SameValues(const HistorySlot& a, const HistorySlot& b) {
  return a.start == b.start && a.leastFree == b.leastFree && a.mostFree == b.mostFree &&
         a.lastFree == b.lastFree && a.total == b.total;
}

}  // namespace

DriveHistory::DriveHistory(HistoryFiles& files, std::string path, std::string volumeName,
                           std::int64_t now)
    : files_(files),
      path_(std::move(path)),
      volumeName_(std::move(volumeName)),
      lastWrite_(kNever),
      now_(now) {
  HaveArchive();
}

DriveHistory::~DriveHistory() {
  Close();
}

bool DriveHistory::HaveArchive() {
  if (archive_) return true;
  // A file made later (the first one was set aside or couldn't be made) begins with the newest
  // reading.
  archive_ = HistoryArchive::Open(files_, path_, volumeName_, std::max(now_, lastWrite_));
  if (!archive_) return false;
  since_ = archive_->RecordedSince();
  if (std::exchange(resumed_, true)) return true;
  // The newest slot of each ring in the file is where this session goes on: a restart within
  // the same hour adds to that hour's slot, it doesn't start it over.
  for (std::size_t ring = 0; ring < open_.size(); ++ring) {
    const std::optional<HistorySlot> newest = archive_->Newest(ResolutionOf(ring));
    if (!newest) continue;
    std::optional<HistorySlot>& open = open_[ring];
    if (!open) {
      open = newest;
    } else if (open->start == newest->start) {
      open->leastFree = std::min(open->leastFree, newest->leastFree);
      open->mostFree = std::max(open->mostFree, newest->mostFree);
      open->readings += newest->readings;
    }
  }
  return true;
}

void DriveHistory::Record(std::int64_t utc, std::uint64_t freeBytes, std::uint64_t totalBytes) {
  if (utc < 0) return;
  // A clock put back would otherwise write its readings over newer slots.
  for (const std::optional<HistorySlot>& open : open_) {
    if (open && utc < open->start) return;
  }
  dirty_ = true;
  bool closed = false;
  for (std::size_t ring = 0; ring < open_.size(); ++ring) {
    const HistoryResolution resolution = ResolutionOf(ring);
    const std::int64_t start = utc - utc % ShapeOf(resolution).seconds;
    std::optional<HistorySlot>& open = open_[ring];
    if (open && open->start == start) {
      open->leastFree = std::min(open->leastFree, freeBytes);
      open->mostFree = std::max(open->mostFree, freeBytes);
      open->lastFree = freeBytes;
      open->total = totalBytes;
      ++open->readings;
      continue;
    }
    if (open) {
      // A slot not yet written of an earlier round at the same place is over in any case.
      std::erase_if(unwritten_, [&](const auto& slot) {
        return slot.first == resolution && SamePlace(resolution, slot.second, *open);
      });
      // A quiet drive's slot is in the file as it ends (only its count of readings is behind);
      // the new one follows at the next minute's write.
      const std::optional<HistorySlot>& written = written_[ring];
      if (!written || !SameValues(*written, *open)) {
        unwritten_.emplace_back(resolution, *open);
        closed = true;
      }
    }
    open = HistorySlot{start, freeBytes, freeBytes, freeBytes, totalBytes, 1};
  }
  if (closed || utc - lastWrite_ >= kWriteEvery || utc < lastWrite_) WriteOut(utc, true);
}

void DriveHistory::WriteOut(std::int64_t utc, bool changedOnly) {
  lastWrite_ = utc;
  if (!HaveArchive()) return;
  std::erase_if(unwritten_,
                [&](const auto& slot) { return archive_->Write(slot.first, slot.second); });
  bool written = unwritten_.empty();
  bool skipped = false;
  // A quiet drive's open slots are written as they begin, not every minute after: with many
  // drives at the check's pace the writes would cost more than the checks.
  for (std::size_t ring = 0; ring < open_.size(); ++ring) {
    const std::optional<HistorySlot>& open = open_[ring];
    if (!open) continue;
    if (changedOnly && written_[ring] && SameValues(*written_[ring], *open)) {
      skipped = skipped || written_[ring]->readings != open->readings;
      continue;
    }
    const bool done = archive_->Write(ResolutionOf(ring), *open);
    written_[ring] = done ? open : std::nullopt;
    written = done && written;
  }
  // A drive that went away leaves a handle that stays broken: the next write opens the file
  // anew, and gets whatever failed now there as well.
  if (!written) {
    archive_.reset();
    written_ = {};
  }
  dirty_ = !written || skipped;  // the readings' count still to write when the session ends
}

void DriveHistory::Close() {
  if (dirty_) WriteOut(lastWrite_, false);
  if (archive_) archive_->Flush();
  archive_.reset();
  written_ = {};
}

std::vector<HistorySlot> DriveHistory::Slots(HistoryResolution resolution) {
  std::vector<HistorySlot> slots;
  if (HaveArchive()) slots = archive_->Read(resolution);
  // What is in memory is newer than what the file holds at its place.
  const auto add = [&](const HistorySlot& slot) {
    std::erase_if(slots, [&](const HistorySlot& s) { return SamePlace(resolution, s, slot); });
    slots.push_back(slot);
  };
  for (const auto& [ring, slot] : unwritten_) {
    if (ring == resolution) add(slot);
  }
  if (const auto& open = open_[static_cast<std::size_t>(resolution)]) add(*open);
  return LastRound(std::move(slots), resolution);
}

}  // namespace quenora
