#include "ui/TrayIcons.h"

#include "platform/win32/PictureIcon.h"

namespace quenora::win32 {

UniqueIcon CreateTrayIcon(int index) {
  return CreateIconFromPicture(DrawTrayPicture(index));
}

std::array<UniqueIcon, kTrayPictureCount> CreateTrayIcons() {
  std::array<UniqueIcon, kTrayPictureCount> icons;
  for (int i = 0; i < kTrayPictureCount; ++i) {
    icons[static_cast<std::size_t>(i)] = CreateTrayIcon(i);
  }
  return icons;
}

}  // namespace quenora::win32
