#pragma once
// PNG files of 8-bit RGBA pictures: writing them compressed, and reading them back to check.

#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"

namespace pictures {

// The bytes of a PNG file holding the image as 8-bit RGBA, not interlaced. Of the ways to
// filter the rows it keeps the one that compresses best, so the same image always gives the
// same bytes.
std::vector<std::uint8_t> PngFileBytes(const Image& image);

struct PngContents {
  Image image;
  // Everything wrong with the file; empty when it is sound.
  std::vector<std::string> problems;
};

// Reads a PNG file as PngFileBytes writes it (8-bit RGBA, not interlaced; any filters and
// deflate blocks), checking every chunk's CRC and the zlib stream's checksum.
PngContents ReadPngFile(const std::vector<std::uint8_t>& bytes);

}  // namespace pictures
