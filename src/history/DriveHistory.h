#pragma once
// The recording of one volume's free space: readings consolidated into the slots of the three
// rings, which go to the volume's history file.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "history/HistoryArchive.h"

namespace quenora {

class DriveHistory {
 public:
  // Records into the file at `path` (made there when missing, its record beginning `now`);
  // `volumeName` goes into a new file's header.
  DriveHistory(HistoryFiles& files, std::string path, std::string volumeName, std::int64_t now);
  ~DriveHistory();
  DriveHistory(const DriveHistory&) = delete;
  DriveHistory& operator=(const DriveHistory&) = delete;

  // One reading at `utc` (seconds since 1970, UTC). A reading from before the newest slot (the
  // clock was put back) is dropped.
  void Record(std::int64_t utc, std::uint64_t freeBytes, std::uint64_t totalBytes);
  // Writes what is not yet in the file and lets the file go (the next reading opens it again).
  void Close();
  // The slots of the ring's last round, oldest first, the open one as it stands.
  std::vector<HistorySlot> Slots(HistoryResolution resolution);
  // When the file's first reading came; none where the file doesn't say.
  std::optional<std::int64_t> RecordedSince() const { return since_; }

 private:
  bool HaveArchive();
  // Writes the closed slots not yet in the file and the open ones; with `changedOnly`, an open
  // slot whose values the file already holds (only more readings of the same) is left as is.
  void WriteOut(std::int64_t utc, bool changedOnly);

  HistoryFiles& files_;
  std::string path_, volumeName_;
  std::optional<HistoryArchive> archive_;
  std::array<std::optional<HistorySlot>, 3> open_;
  std::array<std::optional<HistorySlot>, 3> written_;  // the open slots as the file has them
  // Closed slots whose write failed, with their ring; written at the next chance.
  std::vector<std::pair<HistoryResolution, HistorySlot>> unwritten_;
  std::int64_t lastWrite_;
  std::int64_t now_;  // when the recording began: a new file's first reading
  std::optional<std::int64_t> since_;
  bool resumed_ = false;  // the file's newest slots were taken up (once: after that we wrote them)
  bool dirty_ = false;    // readings not yet all in the file
};

}  // namespace quenora
