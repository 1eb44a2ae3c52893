#pragma once
// The tray pictures IcoImage(0)..IcoImage(29) as icons.

#include <array>

#include "monitor/TrayPictures.h"
#include "platform/win32/Handles.h"

namespace quenora::win32 {

// IcoImage(index), index 0..29.
UniqueIcon CreateTrayIcon(int index);

// IcoImage(0)..IcoImage(29), all at once.
std::array<UniqueIcon, kTrayPictureCount> CreateTrayIcons();

}  // namespace quenora::win32
