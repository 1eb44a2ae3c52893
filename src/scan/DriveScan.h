#pragma once
// What a scan of a drive found: the bytes below each folder, down to a fixed depth, and what
// grew between two scans.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quenora {

// The folder tree is kept three levels below the root; what lies deeper counts into its
// ancestor on the last kept level.
inline constexpr int kScanDepth = 3;

struct ScannedFolder {
  std::string path;         // "D:\Export\2026"; the root is "D:\"
  int depth = 0;            // 0 for the root, at most kScanDepth
  int parent = -1;          // index in DriveScan::folders; -1 for the root
  std::uint64_t bytes = 0;  // the files in it and everything below it
  std::uint64_t files = 0;
  std::uint64_t ownBytes = 0;  // the files right in it
  // Folders below it (itself included) that couldn't be listed, counted but not entered.
  std::uint64_t unreadableFolders = 0;
};

struct DriveScan {
  std::string drive;  // "D:"
  // When the scan ended, by the wall clock (the window says "seit 14:05").
  std::chrono::system_clock::time_point finished{};
  // The root first, every folder after its parent.
  std::vector<ScannedFolder> folders;
  // Bytes of folders beyond the cap on kept folders ("übrige"), counted in their kept
  // ancestors' bytes as well.
  std::uint64_t otherBytes = 0;
  // Every folder down to this depth was kept: the cap left out folders only below it.
  int keptDepth = kScanDepth;
  // False when the scan was cancelled: the totals are then only what was seen.
  bool complete = false;
};

// For each folder of `after`, the index of the folder of the same path in `before`; -1 where
// `before` didn't keep it.
std::vector<int> SameFolders(const DriveScan& before, const DriveScan& after);

// A folder of a later scan against an earlier one.
struct FolderGrowth {
  bool compared = false;  // both scans kept it: the numbers below are what it grew
  bool added = false;     // new: the earlier scan would have kept it and didn't find it
  std::int64_t bytes = 0;
  std::int64_t ownBytes = 0;  // of the files right in it
};

// For each folder of `after`, how it changed since `before`.
std::vector<FolderGrowth> GrowthSince(const DriveScan& before, const DriveScan& after);

// Where a drive grows most: from the root down, the folder that carries most of its parent's
// growth, as deep as one does ("D:\Export"); empty when the drive didn't grow. Only folders
// that both scans kept can carry growth.
std::string MainGrowthFolder(const DriveScan& before, const DriveScan& after);

}  // namespace quenora
