#pragma once
// The system's drives as the program lists them: which letters exist, what kind of drive each
// one is, and its volume label.

#include <cstdint>
#include <string>
#include <string_view>

namespace quenora {

// The system's drive types, numbered as it numbers them.
enum class DriveType : std::uint32_t {
  Unknown = 0,
  NoRootDirectory = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

class LogicalDrives {
 public:
  virtual ~LogicalDrives() = default;
  // Bit n is set when the drive with the letter 'A' + n exists.
  virtual std::uint32_t LogicalDriveMask() = 0;
  // The type of the drive of `rootPath` ("C:\"), from the system's own tables.
  virtual DriveType TypeOfDrive(std::string_view rootPath) = 0;
  // The volume label of `rootPath`, UTF-8; empty when there is none or it can't be read. It may
  // have to wait for the medium or the network.
  virtual std::string VolumeLabel(std::string_view rootPath) = 0;
};

}  // namespace quenora
