#include "settings/DriveListBox.h"

namespace quenora {

std::vector<std::string> DriveListEntries(LogicalDrives& drives) {
  std::vector<std::string> entries;
  const std::uint32_t mask = drives.LogicalDriveMask();
  for (int n = 0; n < 26; ++n) {
    if (mask & (1u << n)) entries.push_back(DriveListEntry(drives, static_cast<char>('A' + n)));
  }
  return entries;
}

std::string DriveListEntry(LogicalDrives& drives, char letter) {
  const std::string root{letter, ':', '\\'};
  std::string entry{static_cast<char>(letter - 'A' + 'a'), ':'};
  switch (drives.TypeOfDrive(root)) {
    case DriveType::Fixed:
    case DriveType::RamDisk: {
      // Only a local disk is asked for its label: a drive whose medium may be slow or absent,
      // or a server that doesn't answer, would keep the list and the window waiting.
      const std::string label = drives.VolumeLabel(root);
      if (!label.empty()) entry += " [" + label + "]";
      break;
    }
    case DriveType::Remote:
      entry += " [Netzlaufwerk]";
      break;
    default:
      break;
  }
  return entry;
}

}  // namespace quenora
