#pragma once
// What a volume that arrives or leaves means for the monitored drives.

#include <cstdint>
#include <string_view>

#include "monitor/DriveTable.h"

namespace quenora {

enum class VolumeAction {
  Nothing,
  CheckNow,      // a monitored drive came or went: check the drives at once
  RebuildIcons,  // a drive wanted in the settings arrived that has no icon yet
};

// `unitMask` names the letters, bit 0 for A; `wantedLetters` are the drive letters the settings
// ask to monitor, upper case.
VolumeAction ActionForVolumeChange(bool arrived, std::uint32_t unitMask,
                                   const DriveTable& monitored, std::string_view wantedLetters);

// Several changes in a burst (a hub with four drives) call for one action, the strongest.
inline VolumeAction Combine(VolumeAction a, VolumeAction b) {
  return a > b ? a : b;
}

}  // namespace quenora
