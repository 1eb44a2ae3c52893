#pragma once
// The file that holds one volume's history: a header, then the three rings of slots, made at
// its full size and never growing.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/HistorySlot.h"
#include "platform/HistoryFiles.h"

namespace quenora {

// Where the slot that starts at `start` lies in the file (its ring's place for it).
std::uint64_t HistorySlotOffset(HistoryResolution resolution, std::int64_t start);
// The size every history file has.
std::uint64_t HistoryFileSize();

// Of `slots` (one ring's, in any order), those of the ring's last round: oldest first, none
// older than the ring's length before the newest.
std::vector<HistorySlot> LastRound(std::vector<HistorySlot> slots, HistoryResolution resolution);

// One volume's history file, held exclusively while the object lives.
class HistoryArchive {
 public:
  // The file at `path`, or a fresh one there when there is none, whose record begins `now`; a
  // file that isn't a history of ours (or whose header is damaged) is set aside under ".defekt"
  // first. None when the file can't be had now (someone holds it, the folder can't be made, a
  // read fails).
  static std::optional<HistoryArchive> Open(HistoryFiles& files, std::string_view path,
                                            std::string_view volumeName, std::int64_t now);

  // The slots of one ring whose check holds, in the ring's order (not yet by time).
  std::vector<HistorySlot> Read(HistoryResolution resolution);
  // Of those, the one that starts last.
  std::optional<HistorySlot> Newest(HistoryResolution resolution);
  bool Write(HistoryResolution resolution, const HistorySlot& slot);
  bool Flush();
  // The name the volume had when the file was made.
  const std::string& VolumeName() const { return volumeName_; }
  // When the first reading came (UTC seconds); none in files made before that was kept.
  std::optional<std::int64_t> RecordedSince() const {
    return since_ > 0 ? std::optional(since_) : std::nullopt;
  }

 private:
  friend std::vector<HistorySlot> ReadHistory(HistoryFiles&, std::string_view, HistoryResolution);
  HistoryArchive(std::unique_ptr<HistoryFile> file, std::string volumeName, std::int64_t since)
      : file_(std::move(file)), volumeName_(std::move(volumeName)), since_(since) {}
  std::unique_ptr<HistoryFile> file_;
  std::string volumeName_;
  std::int64_t since_;
};

// The valid slots of the last round of one ring of the file at `path`, oldest first, read
// without recording; empty when the file is missing, held by someone or not a history.
std::vector<HistorySlot> ReadHistory(HistoryFiles& files, std::string_view path,
                                     HistoryResolution resolution);

}  // namespace quenora
