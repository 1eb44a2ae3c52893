#pragma once
// The tray pictures IcoImage(0)..IcoImage(29) as icons.

#include <array>

#include "monitor/TrayPictures.h"
#include "platform/win32/Handles.h"

namespace quenora::win32 {

// IcoImage(index), index 0..29, in the style (by default 32 x 32 as ever).
UniqueIcon CreateTrayIcon(int index, const TrayPictureStyle& style = {});

// IcoImage(0)..IcoImage(29), all at once.
std::array<UniqueIcon, kTrayPictureCount> CreateTrayIcons(const TrayPictureStyle& style = {});

}  // namespace quenora::win32
