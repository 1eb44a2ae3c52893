#include "platform/win32/Win32LogicalDrives.h"

#include <windows.h>

#include <dbt.h>

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

std::optional<VolumeChange> VolumeChangeOf(std::uintptr_t event, std::intptr_t record) {
  // Only volumes that came or went matter; every other device message changes nothing.
  if ((event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) || record == 0) {
    return std::nullopt;
  }
  // Any process can send this message: the record is read only as far as it says it reaches,
  // its size before its type, its letters only in a whole volume record.
  const auto& header = *reinterpret_cast<const DEV_BROADCAST_HDR*>(record);
  if (header.dbch_size < sizeof(DEV_BROADCAST_VOLUME) ||
      header.dbch_devicetype != DBT_DEVTYP_VOLUME) {
    return std::nullopt;
  }
  return VolumeChange{event == DBT_DEVICEARRIVAL,
                      reinterpret_cast<const DEV_BROADCAST_VOLUME*>(record)->dbcv_unitmask};
}

}  // namespace quenora::win32
