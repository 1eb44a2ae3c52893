#pragma once
// Free and total bytes of a drive, through the newer 64-bit call or the older cluster call.

#include <cstdint>
#include <string_view>

#include "platform/DiskSpace.h"
#include "platform/SystemServices.h"

namespace quenora {

struct DriveSpace {
  bool ok = false;
  double freeBytes = 0;
  double totalBytes = 0;
};

// Sum of byte k x 256^k, bytes taken unsigned, rounded to the nearest double.
double Int64BytesToDouble(const Int64Bytes& bytes);

// Asks `disks` for the free space of `drive` ("C:") with the 64-bit call or the cluster call.
DriveSpace QueryDriveSpace(DiskSpaceApi& disks, bool withDiskFreeSpaceEx, std::string_view drive);

class FreeSpace {
 public:
  FreeSpace(DiskSpaceApi& disks, SystemServices& system) : disks_(disks), system_(system) {}

  // Whether the 64-bit call can be made; reports unexpected failures in a message box.
  bool GetDiskFreeSpaceExSupported();

  // `drive` is a letter and a colon ("C:"). Free and total are only meaningful when ok.
  DriveSpace QueryDriveSpace(std::string_view drive) const;

  // Selects the 64-bit call; -1 true, 0 false, set once at start from the probe.
  std::int16_t OSFat32Support = 0;

 private:
  DiskSpaceApi& disks_;
  SystemServices& system_;
};

}  // namespace quenora
