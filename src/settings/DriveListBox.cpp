#include "settings/DriveListBox.h"

namespace quenora {

std::vector<std::string> DriveListEntries(LogicalDrives& drives) {
  std::vector<std::string> entries;
  const std::uint32_t mask = drives.LogicalDriveMask();
  for (int n = 0; n < 26; ++n) {
    if (!(mask & (1u << n))) continue;
    const char letter = static_cast<char>('A' + n);
    const std::string root{letter, ':', '\\'};
    std::string entry{static_cast<char>('a' + n), ':'};
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
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace quenora
