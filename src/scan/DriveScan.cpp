#include "scan/DriveScan.h"

#include <algorithm>
#include <string_view>

namespace quenora {

namespace {

std::int64_t Difference(std::uint64_t after, std::uint64_t before) {
  // Two's complement: exact for any drive smaller than 8 EiB.
  return static_cast<std::int64_t>(after - before);
}

}  // namespace

std::vector<int> SameFolders(const DriveScan& before, const DriveScan& after) {
  // The earlier folders sorted by path, each found by halving: a hash table per call would
  // cost more code than the few hundred folders of a scan cost time.
  std::vector<int> byPath(before.folders.size());
  for (std::size_t i = 0; i < byPath.size(); ++i) byPath[i] = static_cast<int>(i);
  const auto pathOf = [&](int i) -> const std::string& {
    return before.folders[static_cast<std::size_t>(i)].path;
  };
  std::sort(byPath.begin(), byPath.end(), [&](int a, int b) { return pathOf(a) < pathOf(b); });
  std::vector<int> same(after.folders.size(), -1);
  for (std::size_t i = 0; i < same.size(); ++i) {
    const std::string& path = after.folders[i].path;
    const auto found = std::lower_bound(byPath.begin(), byPath.end(), path,
                                        [&](int a, const std::string& p) { return pathOf(a) < p; });
    if (found != byPath.end() && pathOf(*found) == path) same[i] = *found;
  }
  return same;
}

std::vector<FolderGrowth> GrowthSince(const DriveScan& before, const DriveScan& after) {
  const std::vector<int> same = SameFolders(before, after);
  std::vector<FolderGrowth> growth(after.folders.size());
  for (std::size_t i = 0; i < growth.size(); ++i) {
    const ScannedFolder& now = after.folders[i];
    if (same[i] >= 0) {
      const ScannedFolder& was = before.folders[static_cast<std::size_t>(same[i])];
      growth[i] = {true, false, Difference(now.bytes, was.bytes),
                   Difference(now.ownBytes, was.ownBytes)};
    } else if (now.parent >= 0 && static_cast<std::size_t>(now.parent) < i) {
      // Which folders the cap keeps can differ between two scans: only a folder on a level the
      // earlier scan kept whole, below a parent it kept, wasn't there then. Its whole size is
      // no growth all the same: it may be an old folder renamed or moved.
      growth[i].added =
          growth[static_cast<std::size_t>(now.parent)].compared && now.depth <= before.keptDepth;
    }
  }
  return growth;
}

std::string MainGrowthFolder(const DriveScan& before, const DriveScan& after) {
  if (after.folders.empty()) return {};
  const std::vector<FolderGrowth> growth = GrowthSince(before, after);

  // From the root down, the walk follows the child that grew most as long as that child carries
  // at least half of its parent's growth: there the growth is still mostly in one place. Where
  // no child carries half, the growth is spread over several, and the parent is the answer.
  // Growth of a folder that only one of the scans kept is unknown and can't lead the walk.
  std::size_t current = 0;
  std::int64_t currentGrowth = growth[0].compared ? growth[0].bytes : 0;
  if (currentGrowth <= 0) return {};
  for (;;) {
    std::size_t best = current;
    std::int64_t bestGrowth = 0;
    // Every folder comes after its parent, so its children come after it.
    for (std::size_t i = current + 1; i < after.folders.size(); ++i) {
      if (after.folders[i].parent != static_cast<int>(current) || !growth[i].compared) continue;
      if (growth[i].bytes > bestGrowth) {
        best = i;
        bestGrowth = growth[i].bytes;
      }
    }
    // bestGrowth >= currentGrowth / 2, without overflowing.
    if (best == current || bestGrowth < currentGrowth - bestGrowth) break;
    current = best;
    currentGrowth = bestGrowth;
  }
  return after.folders[current].path;
}

}  // namespace quenora
