#pragma once
// Two made-up scans of a drive at the cap on kept folders, the earlier one with a fifth of the
// folders at half their size and a seventh at double: what the scan window's map draws at most.

#include <chrono>
#include <cstdint>
#include <string>

#include "scan/FolderScanner.h"
#include "scan/ScanSource.h"
#include "util/Text.h"

namespace quenora::bench {

constexpr std::uint64_t kMB = 1048576;

// Two scans of a drive with kMaxKeptFolders folders: 24 in the root, 600 below them, the rest
// below those; the later one grown in some folders and shrunk in others.
struct Scans : ScanSource {
  Scans() {
    const char* names[] = {"Filme", "Export", "Fotos", "Musik", "Spiele", "Projekte"};
    unsigned seed = 12345;
    const auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    latest.drive = previous.drive = "D:";
    latest.complete = previous.complete = true;
    latest.folders.push_back({"D:\\", 0, -1});
    for (std::size_t i = 1; i < kMaxKeptFolders; ++i) {
      const int parent = i <= 24    ? 0
                         : i <= 624 ? 1 + static_cast<int>(i % 24)
                                    : 25 + static_cast<int>(i % 600);
      const ScannedFolder& up = latest.folders[static_cast<std::size_t>(parent)];
      const std::string name = Cat({names[i % 6], " ", IntText(static_cast<std::int64_t>(i))});
      // Sizes over four orders of magnitude, as real folders have.
      const std::uint64_t own = (next() % 1000 + 1) * kMB / (1 + next() % 100);
      latest.folders.push_back(
          {Cat({up.path, up.parent < 0 ? "" : "\\", name}), up.depth + 1, parent, 0, 0, own});
    }
    previous.folders = latest.folders;
    for (std::size_t i = latest.folders.size(); i-- > 0;) {
      ScannedFolder& now = latest.folders[i];
      ScannedFolder& was = previous.folders[i];
      was.ownBytes = i % 5 == 0 ? now.ownBytes / 2 : i % 7 == 0 ? now.ownBytes * 2 : now.ownBytes;
      now.bytes += now.ownBytes;
      was.bytes += was.ownBytes;
      if (now.parent >= 0) {
        latest.folders[static_cast<std::size_t>(now.parent)].bytes += now.bytes;
        previous.folders[static_cast<std::size_t>(now.parent)].bytes += was.bytes;
      }
    }
    const auto now = std::chrono::system_clock::now();
    latest.finished = now;
    previous.finished = now - std::chrono::hours(3);
  }
  State StateOf(std::string_view) override {
    return {&latest, one ? nullptr : &previous, false, 0, 0};
  }
  void StartScan(std::string_view) override {}
  void CancelScan(std::string_view) override {}
  DriveScan latest, previous;
  bool one = false;
};

}  // namespace quenora::bench
