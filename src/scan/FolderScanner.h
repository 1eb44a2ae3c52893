#pragma once
// A scan of one drive's folders: the bytes of the files below each folder, the tree kept three
// levels deep and to a bounded number of folders.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/FolderListing.h"
#include "scan/DriveScan.h"

namespace quenora {

// The folders a scan keeps at most; those beyond count into DriveScan::otherBytes. The walk
// holds no more than these (and the open listings along one path), however wide the tree.
inline constexpr std::size_t kMaxKeptFolders = 20000;

// How far a running scan has got, readable from any thread.
struct ScanProgress {
  std::atomic<std::uint64_t> folders{0};  // listed so far
  std::atomic<std::uint64_t> bytes{0};    // of the files seen so far
};

// Scans `drive` ("D:") from its root; ends early, with an incomplete scan, once `cancel` is set.
DriveScan ScanDrive(FolderListing& listing, std::string_view drive, const std::atomic<bool>& cancel,
                    ScanProgress& progress, std::size_t maxKeptFolders = kMaxKeptFolders);

}  // namespace quenora
