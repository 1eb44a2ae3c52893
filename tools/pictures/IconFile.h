#pragma once
// Windows icon (.ico) and cursor (.cur) files: writing them, and reading them back to check.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Canvas.h"

namespace pictures {

struct Hotspot {
  int x = 0;
  int y = 0;
};

// The bytes of an icon file holding the images in the given order, each as a PNG entry. With
// a hotspot it is a cursor instead, every image a 32-bit BMP entry sharing the hotspot.
std::vector<std::uint8_t> IconFileBytes(const std::vector<Image>& images,
                                        std::optional<Hotspot> hotspot = std::nullopt);

// One image found in an icon file, with what its directory entry says about it.
struct IconFileEntry {
  int width = 0;
  int height = 0;
  Hotspot hotspot;  // a cursor's hotspot; for an icon, planes and bit count
  Image image;
};

struct IconFileContents {
  bool cursor = false;
  std::vector<IconFileEntry> entries;
  // Everything wrong with the file; empty when it is sound.
  std::vector<std::string> problems;
};

// Reads and checks an icon or cursor file as written by IconFileBytes: the directory, each
// bitmap header, that the pixel and mask data fill their entry exactly, that the mask marks
// precisely the fully transparent pixels, and each PNG entry (decoded as well).
IconFileContents ReadIconFile(const std::vector<std::uint8_t>& bytes);

}  // namespace pictures
