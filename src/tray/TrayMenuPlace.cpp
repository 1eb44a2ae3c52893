#include "tray/TrayMenuPlace.h"

namespace quenora {

TrayMenuPlace PlaceTrayMenu(ScreenPoint mouse, std::optional<ScreenRect> icon) {
  // The classic icon record gets no word of the keyboard: Enter, the space bar and the menu key
  // on an icon chosen with Win+B and the arrows come as the right button's press and release.
  // A press with the mouse elsewhere than on the icon can only be the keyboard's; its menu
  // opens at the icon, where the user's eyes are, not wherever the pointer was left.
  const bool onIcon = !icon || (mouse.x >= icon->left && mouse.x < icon->right &&
                                mouse.y >= icon->top && mouse.y < icon->bottom);
  if (onIcon) return {mouse, false};
  return {{icon->left, icon->top}, true};
}

}  // namespace quenora
