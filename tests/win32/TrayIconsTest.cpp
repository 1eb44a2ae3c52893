#include "platform/win32/PictureIcon.h"
#include "ui/TrayIcons.h"
#include "ui/TrayImages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "Fakes.h"
#include "IconWidth.h"
#include "SettingsFakes.h"

namespace quenora::win32 {
namespace {

// The icon's pixels as the system holds them: colour (BGRA) and mask, top-down.
struct IconPixels {
  std::vector<std::uint32_t> color;
  std::vector<std::uint32_t> mask;  // nonzero where transparent
};

std::vector<std::uint32_t> ReadBitmap(HBITMAP bitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 32;
  info.bmiHeader.biHeight = -32;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(32 * 32);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, 32, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(rows, 32);
  return pixels;
}

IconPixels ReadIcon(HICON icon) {
  ICONINFO info{};
  EXPECT_TRUE(GetIconInfo(icon, &info));
  IconPixels pixels{ReadBitmap(info.hbmColor), ReadBitmap(info.hbmMask)};
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return pixels;
}

constexpr std::uint32_t kRed = 0x00FF0000, kGreen = 0x0000FF00;

TEST(TrayIconsTest, FillIconsCarryTheirRedColumnsIntoTheSystem) {
  for (const int level : {0, 1, 13, 27}) {
    const UniqueIcon icon = CreateIconFromPicture(DrawTrayPicture(level));
    ASSERT_TRUE(icon);
    const IconPixels pixels = ReadIcon(icon.get());
    int red = 0, green = 0;
    for (int x = 2; x <= 28; ++x) {
      const std::uint32_t pixel = pixels.color[static_cast<std::size_t>(7 * 32 + x)] & 0xFFFFFF;
      red += pixel == kRed;
      green += pixel == kGreen;
    }
    EXPECT_EQ(red, level);
    EXPECT_EQ(green, 27 - level);
  }
}

TEST(TrayIconsTest, TransparentPixelsAreMaskedAndDrawnOnesAreNot) {
  const UniqueIcon icon = CreateIconFromPicture(DrawTrayPicture(kIconAlarm));
  ASSERT_TRUE(icon);
  const IconPicture picture = DrawTrayPicture(kIconAlarm);
  const IconPixels pixels = ReadIcon(icon.get());
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool transparent = picture.At(x, y).a == 0;
      const bool masked = pixels.mask[static_cast<std::size_t>(y * 32 + x)] & 0xFFFFFF;
      ASSERT_EQ(masked, transparent) << x << "," << y;
    }
  }
}

TEST(TrayIconsTest, ThirtyDistinctIcons) {
  const auto icons = CreateTrayIcons();
  std::set<HICON> handles;
  for (const UniqueIcon& icon : icons) {
    ASSERT_TRUE(icon);
    handles.insert(icon.get());
  }
  EXPECT_EQ(handles.size(), 30u);
}

// Each picture is made once, at the notification area's size; another size forgets them and
// hands the old icons back, alive until the tray has the new ones.
TEST(TrayImagesTest, PicturesFollowTheSizeOfTheNotificationArea) {
  testing::FakeRegistry registry;
  testing::FakeSystem system;
  system.trayIconSize = 20;
  TrayImages images(registry, system);
  ASSERT_NE(images.Follow(true), nullptr);
  const IconHandle first = images.IcoImage().Picture(3);
  EXPECT_EQ(testing::IconWidth(first), 20);
  EXPECT_EQ(images.IcoImage().Picture(3), first);
  EXPECT_EQ(images.Follow(false), nullptr);
  system.trayIconSize = 24;
  const auto old = images.Follow(false);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(testing::IconWidth(images.IcoImage().Picture(3)), 24);
  EXPECT_EQ(testing::IconWidth(first), 20);
}

}  // namespace
}  // namespace quenora::win32
