#include "platform/win32/Win32LogicalDrives.h"

#include <windows.h>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32DiskSpace.h"

namespace quenora::win32 {

std::uint32_t Win32LogicalDrives::LogicalDriveMask() {
  return GetLogicalDrives();
}

DriveType Win32LogicalDrives::TypeOfDrive(std::string_view rootPath) {
  const UINT type = GetDriveTypeW(Widen(rootPath).c_str());
  return type <= static_cast<UINT>(DriveType::RamDisk) ? static_cast<DriveType>(type)
                                                       : DriveType::Unknown;
}

std::string Win32LogicalDrives::VolumeLabel(std::string_view rootPath) {
  return ReadVolumeLabel(rootPath);
}

}  // namespace quenora::win32
