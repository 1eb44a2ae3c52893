#include "scan/DriveScan.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace quenora {

namespace {

std::int64_t Difference(std::uint64_t after, std::uint64_t before) {
  // Two's complement: exact for any drive smaller than 8 EiB.
  return static_cast<std::int64_t>(after - before);
}

}  // namespace

std::vector<FolderGrowth> GrowthBetween(const DriveScan& before, const DriveScan& after) {
  std::unordered_map<std::string_view, const ScannedFolder*> earlier;
  earlier.reserve(before.folders.size());
  for (const ScannedFolder& folder : before.folders) earlier.emplace(folder.path, &folder);

  std::vector<FolderGrowth> growth;
  growth.reserve(after.folders.size());
  for (const ScannedFolder& folder : after.folders) {
    const auto found = earlier.find(folder.path);
    std::uint64_t was = 0;
    if (found != earlier.end()) {
      was = found->second->bytes;
      earlier.erase(found);
    }
    growth.push_back({folder.path, folder.depth, Difference(folder.bytes, was)});
  }
  // What is left was kept only before: deleted, or beyond the cap now.
  for (const ScannedFolder& folder : before.folders) {
    if (earlier.count(folder.path)) {
      growth.push_back({folder.path, folder.depth, Difference(0, folder.bytes)});
    }
  }
  std::sort(growth.begin(), growth.end(), [](const FolderGrowth& a, const FolderGrowth& b) {
    if (a.bytes != b.bytes) return a.bytes > b.bytes;
    return a.path < b.path;
  });
  return growth;
}

std::string MainGrowthFolder(const DriveScan& before, const DriveScan& after) {
  if (after.folders.empty()) return {};
  std::unordered_map<std::string_view, std::uint64_t> earlier;
  earlier.reserve(before.folders.size());
  for (const ScannedFolder& folder : before.folders) earlier.emplace(folder.path, folder.bytes);
  const auto growthOf = [&](const ScannedFolder& folder) {
    const auto found = earlier.find(folder.path);
    return Difference(folder.bytes, found == earlier.end() ? 0 : found->second);
  };

  // From the root down, the walk follows the child that grew most as long as that child carries
  // at least half of its parent's growth: there the growth is still mostly in one place. Where
  // no child carries half, the growth is spread over several, and the parent is the answer.
  // Growth of a folder that only the earlier scan kept is negative and can't lead the walk.
  std::size_t current = 0;
  std::int64_t currentGrowth = growthOf(after.folders[0]);
  if (currentGrowth <= 0) return {};
  for (;;) {
    std::size_t best = current;
    std::int64_t bestGrowth = 0;
    // Every folder comes after its parent, so its children come after it.
    for (std::size_t i = current + 1; i < after.folders.size(); ++i) {
      if (after.folders[i].parent != static_cast<int>(current)) continue;
      const std::int64_t growth = growthOf(after.folders[i]);
      if (growth > bestGrowth) {
        best = i;
        bestGrowth = growth;
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
