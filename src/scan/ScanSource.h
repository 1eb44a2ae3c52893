#pragma once
// The scans of the drives as a window sees them: the last two of a drive, the one running, and
// the commands to start or stop one. Everything here is called on the window's thread.

#include <chrono>
#include <cstdint>
#include <string_view>

#include "scan/DriveScan.h"

namespace quenora {

class ScanSource {
 public:
  struct State {
    const DriveScan* latest = nullptr;    // the last finished scan of the drive, if any
    const DriveScan* previous = nullptr;  // the one before it, if any
    bool running = false;
    // A running scan's progress so far.
    std::uint64_t foldersSoFar = 0;
    std::uint64_t bytesSoFar = 0;
    // When the last finished scan started, by the wall clock, and how long it ran.
    std::chrono::system_clock::time_point latestStarted{};
    std::chrono::nanoseconds latestTook{};
  };

  virtual ~ScanSource() = default;
  // The drive's scans ("D:"); the pointers stay valid until the next call of anything here.
  virtual State StateOf(std::string_view drive) = 0;
  // Starts a scan of the drive unless one runs; it ends in the background.
  virtual void StartScan(std::string_view drive) = 0;
  // Stops the drive's running scan; what it found so far is dropped.
  virtual void CancelScan(std::string_view drive) = 0;
};

}  // namespace quenora
