#pragma once
// Turns the portable tray pictures into icons.

#include <array>

#include "monitor/TrayPictures.h"
#include "platform/win32/Handles.h"

namespace quenora::win32 {

// A 32 x 32 icon with the picture's colours and its transparent pixels masked out.
UniqueIcon CreateIconFromPicture(const TrayPicture& picture);

// IcoImage(index), index 0..29.
UniqueIcon CreateTrayIcon(int index);

// IcoImage(0)..IcoImage(29), all at once.
std::array<UniqueIcon, kTrayPictureCount> CreateTrayIcons();

}  // namespace quenora::win32
