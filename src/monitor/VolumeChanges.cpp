#include "monitor/VolumeChanges.h"

#include <algorithm>

namespace quenora {

VolumeAction ActionForVolumeChange(bool arrived, std::uint32_t unitMask,
                                   const DriveTable& monitored, std::string_view wantedLetters) {
  VolumeAction action = VolumeAction::Nothing;
  const int count = std::clamp<int>(monitored.DriveCount, 0, kMaxDrives);
  for (std::int32_t number = 1; number <= 26; ++number) {
    if (!(unitMask & (1u << (number - 1)))) continue;
    const auto end = monitored.DriveNumbers.begin() + count;
    if (std::find(monitored.DriveNumbers.begin(), end, number) != end) {
      action = Combine(action, VolumeAction::CheckNow);
    } else if (arrived &&
               wantedLetters.find(static_cast<char>('@' + number)) != std::string_view::npos) {
      // Monitored in the settings, but not there when the icons were made (a USB stick).
      action = Combine(action, VolumeAction::RebuildIcons);
    }
  }
  return action;
}

}  // namespace quenora
