#include "monitor/FreeSpace.h"

#include <string>

namespace quenora {

double Int64BytesToDouble(const Int64Bytes& bytes) {
  // Assembled as an exact 64-bit integer first, so the one conversion to double rounds to the
  // nearest value; the check cycle compares these doubles exactly, so the same answer must
  // always give the same double.
  std::uint64_t value = 0;
  for (int k = 7; k >= 0; --k) value = (value << 8) | bytes[static_cast<std::size_t>(k)];
  return static_cast<double>(value);
}

bool FreeSpace::GetDiskFreeSpaceExSupported() {
  // Always probes c:\ whatever is monitored; the call's own result doesn't matter.
  const CallProbe probe = disks_.ProbeDiskFreeSpaceEx("c:\\");
  switch (probe.outcome) {
    case CallProbe::Outcome::Callable:
      return true;
    case CallProbe::Outcome::FunctionMissing:
      // The expected way to learn that only the cluster call exists: no message.
      return false;
    case CallProbe::Outcome::CallFailed:
      break;
  }
  system_.ShowMessage("Fehler " + std::to_string(probe.errorNumber) + ": " + probe.errorText,
                      "GetDiskFreeSpaceExSupported()");
  return false;
}

DriveSpace FreeSpace::QueryDriveSpace(std::string_view drive) const {
  return quenora::QueryDriveSpace(disks_, OSFat32Support != 0, drive);
}

DriveSpace QueryDriveSpace(DiskSpaceApi& disks, bool withDiskFreeSpaceEx, std::string_view drive) {
  if (withDiskFreeSpaceEx) {
    const DiskFreeSpaceExAnswer answer = disks.CallDiskFreeSpaceEx(drive);
    return {answer.ok, Int64BytesToDouble(answer.availableToCaller),
            Int64BytesToDouble(answer.totalBytes)};
  }
  const DiskFreeSpaceAnswer answer = disks.CallDiskFreeSpace(drive);
  // The counts are unsigned 32-bit values: a volume of 2^31 clusters or more must not turn
  // negative. Bytes per cluster can't overflow in 64 bits, and a product of a cluster count
  // with it is rounded once, to the nearest double.
  const std::uint64_t bytesPerCluster =
      std::uint64_t{answer.sectorsPerCluster} * std::uint64_t{answer.bytesPerSector};
  const double clusterBytes = static_cast<double>(bytesPerCluster);
  return {answer.ok, static_cast<double>(answer.freeClusters) * clusterBytes,
          static_cast<double>(answer.totalClusters) * clusterBytes};
}

}  // namespace quenora
