#pragma once
// The thirty tray pictures: fill levels 0..27, the alarm triangle and the unreadable drive.

#include "util/IconPicture.h"

namespace quenora {

inline constexpr int kTrayPictureCount = 30;
inline constexpr int kIconAlarm = 28;
inline constexpr int kIconUnreadable = 29;
inline constexpr int kMaxFillLevel = 27;

// Draws IcoImage(index), 0..29; any other index gives the unreadable drive.
IconPicture DrawTrayPicture(int index);

}  // namespace quenora
