#include "platform/win32/PictureIcon.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace quenora::win32 {

UniqueIcon CreateIconFromPicture(const IconPicture& picture) {
  const int size = picture.Size();

  // Colour: a top-down 32-bit DIB (BGRA). Transparent pixels are black, so that the XOR
  // step of the classic icon drawing leaves the background untouched where there's no alpha.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap color(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color || !bits) return UniqueIcon();
  auto* pixels = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const Rgba& p = picture.pixels[i];
    const bool opaque = p.a != 0;
    pixels[4 * i + 0] = opaque ? p.b : 0;
    pixels[4 * i + 1] = opaque ? p.g : 0;
    pixels[4 * i + 2] = opaque ? p.r : 0;
    pixels[4 * i + 3] = opaque ? 255 : 0;
  }

  // Mask: one bit per pixel, set where the picture is transparent; rows padded to 16 bits.
  const int maskStride = ((size + 15) / 16) * 2;
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(maskStride * size), 0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (picture.At(x, y).a == 0) {
        mask[static_cast<std::size_t>(y * maskStride + x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  UniqueBitmap maskBitmap(CreateBitmap(size, size, 1, 1, mask.data()));
  if (!maskBitmap) return UniqueIcon();

  ICONINFO iconInfo{};
  iconInfo.fIcon = TRUE;
  iconInfo.hbmMask = maskBitmap.get();
  iconInfo.hbmColor = color.get();
  // The icon keeps copies of both bitmaps; ours go when this returns.
  return UniqueIcon(CreateIconIndirect(&iconInfo));
}

}  // namespace quenora::win32
