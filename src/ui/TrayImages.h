#pragma once
// The tray pictures as icons of the window: made in the look of the notification area when
// first wanted, kept as long as the window lives, and made anew when that look changes.

#include <array>
#include <memory>

#include "monitor/TrayPictures.h"
#include "platform/Registry.h"
#include "platform/SystemServices.h"
#include "platform/win32/Handles.h"
#include "ui/TrayView.h"

namespace quenora::win32 {

class TrayImages final : private TrayPictureMaker {
 public:
  using Icons = std::array<UniqueIcon, kTrayPictureCount>;

  TrayImages(Registry& registry, SystemServices& system) : registry_(registry), system_(system) {}
  TrayImages(const TrayImages&) = delete;
  TrayImages& operator=(const TrayImages&) = delete;

  // IcoImage(0)..IcoImage(29), each made when first wanted.
  IconImages& IcoImage() { return icoImage_; }

  // Asks the notification area's icon size and colours again, its theme only when
  // `themeChanged`. Where the pictures' style changed the pictures are forgotten, and the icons
  // made until now are handed back: they must live until the tray icons have new pictures.
  // Null where the style stays.
  [[nodiscard]] std::unique_ptr<Icons> Follow(bool themeChanged);

 private:
  // The picture made as an icon of this set, in the pictures' style.
  IconHandle MakeTrayPicture(int index) override;

  Registry& registry_;
  SystemServices& system_;
  Icons owners_;
  IconImages icoImage_{static_cast<TrayPictureMaker&>(*this)};
  // The notification area as last asked, and the style of the pictures made for it.
  TaskbarLook taskbar_;
  TrayPictureStyle style_;
};

}  // namespace quenora::win32
