#include "ui/TrayIcons.h"

#include "platform/win32/PictureIcon.h"

namespace quenora::win32 {

UniqueIcon CreateTrayIcon(int index, const TrayPictureStyle& style) {
  return CreateIconFromPicture(DrawTrayPicture(index, style));
}

std::array<UniqueIcon, kTrayPictureCount> CreateTrayIcons(const TrayPictureStyle& style) {
  std::array<UniqueIcon, kTrayPictureCount> icons;
  for (int i = 0; i < kTrayPictureCount; ++i) {
    icons[static_cast<std::size_t>(i)] = CreateTrayIcon(i, style);
  }
  return icons;
}

}  // namespace quenora::win32
