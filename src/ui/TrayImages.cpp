#include "ui/TrayImages.h"

#include <utility>

#include "ui/TrayIcons.h"

namespace quenora::win32 {

IconHandle TrayImages::MakeTrayPicture(int index) {
  UniqueIcon& icon = owners_[static_cast<std::size_t>(index)];
  icon = CreateTrayIcon(index, style_);
  return reinterpret_cast<IconHandle>(icon.get());
}

std::unique_ptr<TrayImages::Icons> TrayImages::Follow(bool themeChanged) {
  if (themeChanged) {
    taskbar_.systemUsesLightTheme = registry_.ReadUserText(kPersonalizeKey, kSystemUsesLightTheme);
  }
  taskbar_.smallIconSize = system_.TrayIconSize();
  taskbar_.highContrastText = system_.HighContrastText();
  const TrayPictureStyle style = TrayPictureStyleFor(taskbar_);
  if (style == style_) return nullptr;
  style_ = style;
  // Only the pictures the icons show are made anew, when the icons are sent again; the others
  // when first wanted.
  auto old = std::make_unique<Icons>(std::move(owners_));
  icoImage_.Forget();
  return old;
}

}  // namespace quenora::win32
