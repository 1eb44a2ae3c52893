#pragma once
// The system's drives, asked of the kernel library.

#include "platform/LogicalDrives.h"

namespace quenora::win32 {

class Win32LogicalDrives : public LogicalDrives {
 public:
  std::uint32_t LogicalDriveMask() override;
  DriveType TypeOfDrive(std::string_view rootPath) override;
  std::string VolumeLabel(std::string_view rootPath) override;
};

}  // namespace quenora::win32
