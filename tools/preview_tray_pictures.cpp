// Writes the thirty tray pictures side by side into one PAM file (P7, RGB_ALPHA), so they can
// be looked at, e.g. with `convert strip.pam -scale 400% strip.png`; at another size than 32,
// and in the dark taskbar's or a high contrast look, when asked.
//
//   g++ -std=c++20 -Isrc src/monitor/TrayPictures.cpp tools/preview_tray_pictures.cpp
//   ./a.out strip.pam [SIZE] [classic|dark|contrast]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

#include "monitor/TrayPictures.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: %s OUTPUT.pam [SIZE] [classic|dark|contrast]\n", argv[0]);
    return 2;
  }
  quenora::TrayPictureStyle style;
  if (argc > 2) style.size = std::atoi(argv[2]);
  const std::string_view look = argc > 3 ? argv[3] : "classic";
  if (look == "dark") style.look = quenora::TrayLook::DarkTaskbar;
  if (look == "contrast") style.look = quenora::TrayLook::HighContrast;

  std::vector<quenora::IconPicture> pictures;
  for (int index = 0; index < quenora::kTrayPictureCount; ++index) {
    pictures.push_back(quenora::DrawTrayPicture(index, style));
  }
  const int kSize = pictures[0].Size();
  const int kWidth = kSize * quenora::kTrayPictureCount;

  std::ofstream out(argv[1], std::ios::binary);
  out << "P7\nWIDTH " << kWidth << "\nHEIGHT " << kSize
      << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  for (int y = 0; y < kSize; ++y) {
    for (const quenora::IconPicture& picture : pictures) {
      for (int x = 0; x < kSize; ++x) {
        const quenora::Rgba& pixel = picture.At(x, y);
        const char bytes[] = {static_cast<char>(pixel.r), static_cast<char>(pixel.g),
                              static_cast<char>(pixel.b), static_cast<char>(pixel.a)};
        out.write(bytes, sizeof bytes);
      }
    }
  }
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
