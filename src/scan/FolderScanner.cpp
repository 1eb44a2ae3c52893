#include "scan/FolderScanner.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace quenora {

namespace {

// A folder found and not listed yet.
struct Pending {
  std::string path;
  int depth = 0;
  int target = 0;      // the kept folder its files count into: itself, or its nearest ancestor
  bool kept = false;   // it is `target` itself
  bool other = false;  // beyond the cap on kept folders: counted into otherBytes as well
};

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path = folder;
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

}  // namespace

DriveScan ScanDrive(FolderListing& listing, std::string_view drive, const std::atomic<bool>& cancel,
                    ScanProgress& progress, std::size_t maxKeptFolders) {
  DriveScan scan;
  while (!drive.empty() && drive.back() == '\\') drive.remove_suffix(1);
  scan.drive = drive;
  scan.folders.push_back({scan.drive + "\\", 0, -1});

  // The kept levels are walked breadth first, so that the cap on kept folders, when a drive
  // reaches it, takes the deepest of them and never a first-level folder. What lies below the
  // kept levels is walked depth first, one kept folder at a time, right after that folder: the
  // stack then holds the siblings along one path only. Both are explicit: a tree thousands of
  // levels deep (a runaway build, a link loop made of real folders) can't overflow the stack.
  // A queue as a vector and the index of its front: a deque costs kilobytes of program.
  std::vector<Pending> levels;
  std::size_t front = 0;
  std::vector<Pending> below;
  levels.push_back({scan.folders[0].path, 0, 0, true, false});

  for (;;) {
    if (cancel.load(std::memory_order_relaxed)) break;
    Pending folder;
    if (!below.empty()) {
      folder = std::move(below.back());
      below.pop_back();
    } else if (front < levels.size()) {
      folder = std::move(levels[front++]);
      if (front == levels.size()) {
        levels.clear();
        front = 0;
      }
    } else {
      scan.complete = true;
      break;
    }

    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
    const ListingOutcome outcome = listing.List(folder.path, [&](const FolderEntry& entry) {
      // A folder of a million files is cancelled as quickly as a million folders.
      if (cancel.load(std::memory_order_relaxed)) return false;
      // A link is neither entered nor counted: what it leads to is counted where it lies
      // (or isn't on this drive at all), and a link pointing up the tree would never end.
      if (entry.link) return true;
      if (!entry.directory) {
        bytes += entry.bytes;
        ++files;
        return true;
      }
      Pending child{JoinPath(folder.path, entry.name), folder.depth + 1, folder.target, false,
                    folder.other};
      if (child.depth > kScanDepth) {
        below.push_back(std::move(child));
        return true;
      }
      if (folder.kept && scan.folders.size() < maxKeptFolders) {
        child.target = static_cast<int>(scan.folders.size());
        child.kept = true;
        scan.folders.push_back({child.path, child.depth, folder.target});
      } else {
        child.other = true;
      }
      levels.push_back(std::move(child));
      return true;
    });

    ScannedFolder& target = scan.folders[static_cast<std::size_t>(folder.target)];
    target.bytes += bytes;
    target.files += files;
    if (folder.other) scan.otherBytes += bytes;
    // Denied access is common (System Volume Information, other users' profiles) and no
    // error of the scan: the folder is counted as unreadable where the user can see it. A
    // folder that vanished since its parent was listed is simply no longer there, but a root
    // that can't be found is a drive that can't be read.
    if (outcome == ListingOutcome::Unreadable ||
        (outcome == ListingOutcome::NotFound && folder.depth == 0)) {
      ++target.unreadableFolders;
    }
    progress.folders.fetch_add(1, std::memory_order_relaxed);
    progress.bytes.fetch_add(bytes, std::memory_order_relaxed);
  }

  // Every folder comes after its parent: from the back, each one's totals are complete when
  // they are added into its parent's.
  for (std::size_t i = scan.folders.size(); i-- > 1;) {
    const ScannedFolder& folder = scan.folders[i];
    ScannedFolder& parent = scan.folders[static_cast<std::size_t>(folder.parent)];
    parent.bytes += folder.bytes;
    parent.files += folder.files;
    parent.unreadableFolders += folder.unreadableFolders;
  }
  // Two scans of every drive are kept for as long as the program runs.
  scan.folders.shrink_to_fit();
  scan.finished = std::chrono::system_clock::now();
  return scan;
}

}  // namespace quenora
