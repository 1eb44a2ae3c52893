#pragma once
// The system's drives, asked of the kernel library.

#include <cstdint>
#include <optional>

#include "platform/LogicalDrives.h"

namespace quenora::win32 {

class Win32LogicalDrives : public LogicalDrives {
 public:
  std::uint32_t LogicalDriveMask() override;
  DriveType TypeOfDrive(std::string_view rootPath) override;
  std::string VolumeLabel(std::string_view rootPath) override;
};

// A volume that came or went, as WM_DEVICECHANGE says: its letters, bit 0 for A.
struct VolumeChange {
  bool arrived = false;
  std::uint32_t unitMask = 0;
};
// What a WM_DEVICECHANGE with `event` and `record` says of the volumes; none for any other
// device message.
std::optional<VolumeChange> VolumeChangeOf(std::uintptr_t event, std::intptr_t record);

}  // namespace quenora::win32
