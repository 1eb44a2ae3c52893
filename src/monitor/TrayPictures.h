#pragma once
// The thirty tray pictures: fill levels 0..27, the alarm triangle and the unreadable drive,
// drawn at the size the shell shows them and in the look its taskbar asks for.

#include <cstdint>
#include <optional>
#include <string>

#include "util/IconPicture.h"

namespace quenora {

inline constexpr int kTrayPictureCount = 30;
inline constexpr int kIconAlarm = 28;
inline constexpr int kIconUnreadable = 29;
inline constexpr int kMaxFillLevel = 27;

enum class TrayLook : std::uint8_t {
  Classic,       // the pictures as they have always been: light and classic taskbars
  DarkTaskbar,   // with a light edge around the shape, which the dark taskbar would swallow
  HighContrast,  // outlines in the theme's text colour; red and green stay, they carry the meaning
};

struct TrayPictureStyle {
  int size = IconPicture::kSize;  // 16..64 pixels
  TrayLook look = TrayLook::Classic;
  Rgba themeText{255, 255, 255, 255};  // the outlines' colour in the high contrast look
  friend bool operator==(const TrayPictureStyle&, const TrayPictureStyle&) = default;
};

// Draws IcoImage(index), 0..29, in the style; any other index gives the unreadable drive.
// The default style draws the 32 x 32 pictures the program has always shown.
IconPicture DrawTrayPicture(int index, const TrayPictureStyle& style = {});

// The notification area as the system describes it.
struct TaskbarLook {
  int smallIconSize = IconPicture::kMinSize;  // the shell's small-icon size in pixels
  // HKCU\...\Themes\Personalize "SystemUsesLightTheme" as text: "0" dark, "1" light; none
  // on systems without the setting.
  std::optional<std::string> systemUsesLightTheme;
  // The high contrast theme's text colour, 0xRRGGBB, while such a theme is on.
  std::optional<std::uint32_t> highContrastText;
};

inline constexpr char kPersonalizeKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
inline constexpr char kSystemUsesLightTheme[] = "SystemUsesLightTheme";

// The style of the pictures for that taskbar: its small-icon size within 16..64, the high
// contrast look while a theme asks for it, the dark look on a dark taskbar, else the classic.
TrayPictureStyle TrayPictureStyleFor(const TaskbarLook& taskbar);

}  // namespace quenora
