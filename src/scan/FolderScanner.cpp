#include "scan/FolderScanner.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace quenora {

namespace {

// Listings open inside one another at most: each holds a frame of the listing (a find record
// and a name buffer, about 2 KB) on the worker's 256 KB stack, and an open search.
constexpr int kMaxNesting = 32;

// A folder to list.
struct Place {
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

class Walk {
 public:
  Walk(FolderListing& listing, const std::atomic<bool>& cancel, ScanProgress& progress,
       std::size_t maxKeptFolders, DriveScan& scan)
      : listing_(listing),
        cancel_(cancel),
        progress_(progress),
        maxKeptFolders_(maxKeptFolders),
        scan_(scan) {}

  // Lists `folder`, and at once every folder below it that the scan doesn't keep.
  void List(const Place& folder, int nesting) {
    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
    const ListingOutcome outcome = listing_.List(folder.path, [&](const FolderEntry& entry) {
      // A folder of a million files is cancelled as quickly as a million folders.
      if (Cancelled()) return false;
      // A link is neither entered nor counted: what it leads to is counted where it lies
      // (or isn't on this drive at all), and a link pointing up the tree would never end.
      if (entry.link) return true;
      if (!entry.directory) {
        bytes += entry.bytes;
        ++files;
        return true;
      }
      Place child{JoinPath(folder.path, entry.name), folder.depth + 1, folder.target, false,
                  folder.other};
      if (child.depth <= kScanDepth) {
        if (folder.kept && scan_.folders.size() < maxKeptFolders_) {
          // Listed in its turn, level by level, after the folders kept before it.
          scan_.folders.push_back({std::move(child.path), child.depth, folder.target});
          return true;
        }
        // Breadth first, the cap cuts first on this level: every folder above it is kept.
        if (folder.kept) scan_.keptDepth = std::min(scan_.keptDepth, folder.depth);
        child.other = true;
      }
      Descend(std::move(child), nesting);
      return !Cancelled();
    });

    ScannedFolder& target = scan_.folders[static_cast<std::size_t>(folder.target)];
    target.bytes += bytes;
    target.files += files;
    if (folder.kept) target.ownBytes += bytes;
    if (folder.other) scan_.otherBytes += bytes;
    // Denied access is common (System Volume Information, other users' profiles) and no
    // error of the scan: the folder is counted as unreadable where the user can see it. A
    // folder that vanished since its parent was listed is simply no longer there, but a root
    // that can't be found is a drive that can't be read.
    if (outcome == ListingOutcome::Unreadable ||
        (outcome == ListingOutcome::NotFound && folder.depth == 0)) {
      ++target.unreadableFolders;
    }
    progress_.folders.fetch_add(1, std::memory_order_relaxed);
    progress_.bytes.fetch_add(bytes, std::memory_order_relaxed);
  }

  // Lists the folders that waited below the deepest nesting, and what they hold.
  void ListWaiting() {
    while (!waiting_.empty() && !Cancelled()) {
      const Place folder = std::move(waiting_.back());
      waiting_.pop_back();
      List(folder, 0);
    }
  }

  bool Cancelled() const { return cancel_.load(std::memory_order_relaxed); }

 private:
  // A folder the scan doesn't keep is walked at once, depth first, while its parent's listing
  // waits: the walk then holds the open listings along one path and never a list of a
  // folder's subfolders, which may be a million. Only below the deepest nesting do they wait
  // in a list; a tree that deep (a runaway build, a link loop made of real folders) is narrow,
  // and the walk's own stack can't overflow.
  void Descend(Place folder, int nesting) {
    if (nesting < kMaxNesting) {
      List(folder, nesting + 1);
    } else {
      waiting_.push_back(std::move(folder));
    }
  }

  FolderListing& listing_;
  const std::atomic<bool>& cancel_;
  ScanProgress& progress_;
  const std::size_t maxKeptFolders_;
  DriveScan& scan_;
  std::vector<Place> waiting_;
};

}  // namespace

DriveScan ScanDrive(FolderListing& listing, std::string_view drive, const std::atomic<bool>& cancel,
                    ScanProgress& progress, std::size_t maxKeptFolders) {
  DriveScan scan;
  while (!drive.empty() && drive.back() == '\\') drive.remove_suffix(1);
  scan.drive = drive;
  scan.folders.push_back({scan.drive + "\\", 0, -1});

  // The kept levels are walked breadth first, so that the cap on kept folders, when a drive
  // reaches it, takes the deepest of them and never a first-level folder. The kept folders
  // are their own queue: each is added after its parent, in the order they are to be listed.
  // What the scan doesn't keep, below the kept levels or beyond the cap, is walked depth
  // first right where it is found.
  Walk walk(listing, cancel, progress, maxKeptFolders, scan);
  for (std::size_t next = 0; next < scan.folders.size() && !walk.Cancelled(); ++next) {
    const ScannedFolder& folder = scan.folders[next];
    // A copy of the path: the folders found in the listing move the array.
    walk.List({folder.path, folder.depth, static_cast<int>(next), true, false}, 0);
    walk.ListWaiting();
  }
  scan.complete = !walk.Cancelled();

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
