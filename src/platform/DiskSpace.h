#pragma once
// The program's view of the system's free-space service: the two calls with their raw answers.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quenora {

// Eight bytes of a 64-bit count, least significant first, as the newer call delivers them.
using Int64Bytes = std::array<std::uint8_t, 8>;

struct DiskFreeSpaceExAnswer {
  bool ok = false;
  Int64Bytes availableToCaller{};
  Int64Bytes totalBytes{};
  Int64Bytes totalFreeBytes{};
};

struct DiskFreeSpaceAnswer {
  bool ok = false;
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t freeClusters = 0;
  std::uint32_t totalClusters = 0;
};

// Whether the newer call could be made at all (its own result does not matter).
struct CallProbe {
  enum class Outcome { Callable, FunctionMissing, CallFailed };
  Outcome outcome = Outcome::Callable;
  std::uint32_t errorNumber = 0;  // with CallFailed
  std::string errorText;          // the system's description of errorNumber, UTF-8
};

// What kind of drive a root path names, as far as waiting goes: a local fixed disk answers from
// memory at once; a network, removable or optical drive, or one of unknown kind, may keep the
// caller waiting for a long time.
enum class DriveKind { LocalDisk, MayKeepWaiting };

// What a drive is, whatever letter it has now: a local volume by the serial number its format
// gave it and its file system, a network drive by the share it connects to.
struct VolumeIdentity {
  std::string remoteName;  // UTF-8, "\\server\share" for a network drive; empty for a local one
  std::uint32_t serialNumber = 0;
  std::string fileSystem;  // "NTFS", UTF-8
};

// The check cycle asks each drive on a thread of that drive's own, several drives at the same
// time: implementations must allow that.
class DiskSpaceApi {
 public:
  virtual ~DiskSpaceApi() = default;
  // Tries the 64-bit call once for `directory`, trapping any failure to make the call.
  virtual CallProbe ProbeDiskFreeSpaceEx(std::string_view directory) = 0;
  virtual DiskFreeSpaceExAnswer CallDiskFreeSpaceEx(std::string_view directory) = 0;
  virtual DiskFreeSpaceAnswer CallDiskFreeSpace(std::string_view rootPath) = 0;
  // The volume label of `rootPath` ("C:\"), UTF-8; empty when there is none or it can't be read.
  virtual std::string VolumeLabel(std::string_view rootPath) = 0;
  // Answers at once, from the system's own tables, without asking the drive or the network:
  // the check cycle asks it on the window's thread.
  virtual DriveKind KindOfDrive(std::string_view rootPath) = 0;
  // The identity of the volume at `rootPath` ("C:\"); none when it can't be read. A network
  // drive is named by its connection, without asking the server.
  virtual std::optional<VolumeIdentity> IdentifyVolume(std::string_view rootPath) = 0;
};

}  // namespace quenora
