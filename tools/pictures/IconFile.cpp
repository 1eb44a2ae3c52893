#include "IconFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "Png.h"

namespace pictures {
namespace {

constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kBitmapHeaderSize = 40;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Every field is written byte by byte, least significant first, so the files come out the
// same whatever machine builds them.
void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::uint32_t Get16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return Get16(bytes, at) | Get16(bytes, at + 2) << 16;
}

// Mask rows are padded to whole 32-bit words.
std::size_t MaskRowBytes(int width) {
  return static_cast<std::size_t>((width + 31) / 32) * 4;
}

std::size_t PixelBytes(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

std::vector<std::uint8_t> BitmapEntry(const Image& image) {
  const std::size_t maskRow = MaskRowBytes(image.width);
  const std::size_t dataSize = PixelBytes(image.width, image.height) + maskRow * image.height;
  std::vector<std::uint8_t> out;
  out.reserve(kBitmapHeaderSize + dataSize);
  Put32(out, kBitmapHeaderSize);
  Put32(out, static_cast<std::uint32_t>(image.width));
  // The height counts the colour rows and the mask rows together.
  Put32(out, static_cast<std::uint32_t>(image.height * 2));
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // BI_RGB
  Put32(out, static_cast<std::uint32_t>(dataSize));
  Put32(out, 0);  // pixels per metre, x
  Put32(out, 0);  // pixels per metre, y
  Put32(out, 0);  // colours used
  Put32(out, 0);  // colours important
  // Bottom-up rows of blue, green, red, straight alpha.
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* pixel = image.At(x, y);
      out.insert(out.end(), {pixel[2], pixel[1], pixel[0], pixel[3]});
    }
  }
  // The AND mask: a set bit leaves the screen as it is. Windows uses it where it draws
  // without alpha, so it marks exactly the pixels that are fully transparent.
  for (int y = image.height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskRow, 0);
    for (int x = 0; x < image.width; ++x) {
      if (image.At(x, y)[3] == 0) row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::string Describe(std::size_t index, const std::string& what) {
  return "image " + std::to_string(index) + ": " + what;
}

// Reads one 32-bit BMP entry into `entry.image`; returns what is wrong with it.
std::vector<std::string> ReadBitmapEntry(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                                         std::size_t size, std::size_t index,
                                         IconFileEntry& entry) {
  std::vector<std::string> problems;
  if (size < kBitmapHeaderSize) return {Describe(index, "too short for a bitmap header")};
  const auto headerSize = Get32(bytes, offset);
  const auto width = static_cast<std::int32_t>(Get32(bytes, offset + 4));
  const auto height = static_cast<std::int32_t>(Get32(bytes, offset + 8));
  const auto planes = Get16(bytes, offset + 12);
  const auto bitCount = Get16(bytes, offset + 14);
  const auto compression = Get32(bytes, offset + 16);
  const auto sizeImage = Get32(bytes, offset + 20);
  if (headerSize != kBitmapHeaderSize) {
    problems.push_back(Describe(index, "header size " + std::to_string(headerSize)));
  }
  if (width != entry.width) {
    problems.push_back(Describe(index, "bitmap width " + std::to_string(width) +
                                           " differs from the directory's " +
                                           std::to_string(entry.width)));
  }
  if (height != entry.height * 2) {
    problems.push_back(Describe(index, "bitmap height " + std::to_string(height) +
                                           " is not twice the directory's " +
                                           std::to_string(entry.height)));
  }
  if (planes != 1) problems.push_back(Describe(index, "planes " + std::to_string(planes)));
  if (bitCount != 32) problems.push_back(Describe(index, "bit count " + std::to_string(bitCount)));
  if (compression != 0) problems.push_back(Describe(index, "compressed bitmap"));
  if (!problems.empty()) return problems;

  const std::size_t pixelBytes = PixelBytes(entry.width, entry.height);
  const std::size_t maskRow = MaskRowBytes(entry.width);
  const std::size_t dataSize = pixelBytes + maskRow * static_cast<std::size_t>(entry.height);
  if (sizeImage != 0 && sizeImage != dataSize) {
    problems.push_back(Describe(index, "image size field " + std::to_string(sizeImage) +
                                           ", the data needs " + std::to_string(dataSize)));
  }
  if (size != kBitmapHeaderSize + dataSize) {
    problems.push_back(Describe(index, "entry holds " + std::to_string(size) +
                                           " bytes, header, pixels and mask need " +
                                           std::to_string(kBitmapHeaderSize + dataSize)));
    return problems;
  }

  Image& image = entry.image;
  image.width = entry.width;
  image.height = entry.height;
  image.rgba.assign(pixelBytes, 0);
  const std::size_t pixels = offset + kBitmapHeaderSize;
  const std::size_t mask = pixels + pixelBytes;
  int maskMismatches = 0;
  for (int row = 0; row < image.height; ++row) {
    const int y = image.height - 1 - row;
    for (int x = 0; x < image.width; ++x) {
      const std::size_t at = pixels + (static_cast<std::size_t>(row) * image.width + x) * 4;
      std::uint8_t* pixel = image.At(x, y);
      pixel[0] = bytes[at + 2];
      pixel[1] = bytes[at + 1];
      pixel[2] = bytes[at];
      pixel[3] = bytes[at + 3];
      const std::uint8_t maskByte = bytes[mask + row * maskRow + static_cast<std::size_t>(x / 8)];
      const bool maskSet = (maskByte & (0x80 >> (x % 8))) != 0;
      if (maskSet != (pixel[3] == 0)) ++maskMismatches;
    }
  }
  // Bits past the last column only pad the row; whoever reads them should find them clear.
  int paddingBits = 0;
  for (int row = 0; row < image.height; ++row) {
    for (std::size_t bit = static_cast<std::size_t>(image.width); bit < maskRow * 8; ++bit) {
      if ((bytes[mask + row * maskRow + bit / 8] & (0x80 >> (bit % 8))) != 0) ++paddingBits;
    }
  }
  if (paddingBits > 0) {
    problems.push_back(
        Describe(index, std::to_string(paddingBits) + " padding bits set in the mask"));
  }
  if (maskMismatches > 0) {
    problems.push_back(Describe(
        index, std::to_string(maskMismatches) + " pixels where the mask disagrees with the alpha"));
  }
  return problems;
}

}  // namespace

std::vector<std::uint8_t> IconFileBytes(const std::vector<Image>& images,
                                        std::optional<Hotspot> hotspot) {
  std::vector<std::vector<std::uint8_t>> entries;
  for (const Image& image : images) {
    // An icon's images as PNG, which Windows Vista and later read at every size: a fifth of
    // the bitmap or less. A cursor's stay bitmaps; cursors take no PNG.
    entries.push_back(hotspot ? BitmapEntry(image) : PngFileBytes(image));
  }

  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, hotspot ? 2 : 1);
  Put16(out, static_cast<std::uint32_t>(images.size()));
  std::size_t offset = kDirectorySize + kEntrySize * images.size();
  for (std::size_t i = 0; i < images.size(); ++i) {
    // A size of 256 does not fit the byte; the format writes 0 for it.
    out.push_back(static_cast<std::uint8_t>(images[i].width & 0xFF));
    out.push_back(static_cast<std::uint8_t>(images[i].height & 0xFF));
    out.push_back(0);  // colour count: none, the image is true colour
    out.push_back(0);  // reserved
    Put16(out, hotspot ? static_cast<std::uint32_t>(hotspot->x) : 1);
    Put16(out, hotspot ? static_cast<std::uint32_t>(hotspot->y) : 32);
    Put32(out, static_cast<std::uint32_t>(entries[i].size()));
    Put32(out, static_cast<std::uint32_t>(offset));
    offset += entries[i].size();
  }
  for (const auto& entry : entries) out.insert(out.end(), entry.begin(), entry.end());
  return out;
}

IconFileContents ReadIconFile(const std::vector<std::uint8_t>& bytes) {
  IconFileContents contents;
  auto& problems = contents.problems;
  if (bytes.size() < kDirectorySize) {
    problems.push_back("shorter than the icon directory");
    return contents;
  }
  const auto reserved = Get16(bytes, 0);
  const auto type = Get16(bytes, 2);
  const std::size_t count = Get16(bytes, 4);
  if (reserved != 0) problems.push_back("reserved field is " + std::to_string(reserved));
  if (type != 1 && type != 2) {
    problems.push_back("type " + std::to_string(type) + " is neither icon (1) nor cursor (2)");
    return contents;
  }
  contents.cursor = type == 2;
  if (count == 0) problems.push_back("no images");
  if (bytes.size() < kDirectorySize + kEntrySize * count) {
    problems.push_back("directory runs past the end of the file");
    return contents;
  }

  // The ranges the images occupy, to find overlaps and unused gaps.
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kDirectorySize + kEntrySize * i;
    IconFileEntry entry;
    entry.width = bytes[at] == 0 ? 256 : bytes[at];
    entry.height = bytes[at + 1] == 0 ? 256 : bytes[at + 1];
    const auto colourCount = bytes[at + 2];
    const auto entryReserved = bytes[at + 3];
    entry.hotspot = {static_cast<int>(Get16(bytes, at + 4)),
                     static_cast<int>(Get16(bytes, at + 6))};
    const std::size_t size = Get32(bytes, at + 8);
    const std::size_t offset = Get32(bytes, at + 12);
    if (colourCount != 0) problems.push_back(Describe(i, "colour count is not 0"));
    if (entryReserved != 0) problems.push_back(Describe(i, "reserved byte is not 0"));
    if (contents.cursor) {
      if (entry.hotspot.x >= entry.width || entry.hotspot.y >= entry.height) {
        problems.push_back(Describe(i, "hotspot outside the image"));
      }
    } else if (entry.hotspot.x > 1 || (entry.hotspot.y != 0 && entry.hotspot.y != 32)) {
      problems.push_back(Describe(i, "planes " + std::to_string(entry.hotspot.x) + ", bit count " +
                                         std::to_string(entry.hotspot.y)));
    }
    if (offset < kDirectorySize + kEntrySize * count || offset > bytes.size() ||
        size > bytes.size() - offset) {
      problems.push_back(Describe(i, "data lies outside the file"));
      contents.entries.push_back(entry);
      continue;
    }
    ranges.emplace_back(offset, offset + size);

    if (size >= 24 && std::memcmp(&bytes[offset], kPngSignature, sizeof kPngSignature) == 0) {
      PngContents png = ReadPngFile(
          std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(offset + size)));
      for (const auto& problem : png.problems) problems.push_back(Describe(i, "PNG " + problem));
      if (png.problems.empty()) {
        if (png.image.width != entry.width || png.image.height != entry.height) {
          problems.push_back(Describe(i, "PNG size differs from the directory"));
        } else {
          entry.image = std::move(png.image);
        }
      }
    } else {
      for (auto& problem : ReadBitmapEntry(bytes, offset, size, i, entry)) {
        problems.push_back(std::move(problem));
      }
    }
    contents.entries.push_back(std::move(entry));
  }

  // With an entry pointing outside the file, every gap would be reported as well.
  if (ranges.size() != count) return contents;
  std::sort(ranges.begin(), ranges.end());
  std::size_t end = kDirectorySize + kEntrySize * count;
  for (const auto& [first, last] : ranges) {
    if (first < end) problems.push_back("image data overlap");
    if (first > end) problems.push_back("unused bytes between images");
    end = std::max(end, last);
  }
  if (end != bytes.size()) problems.push_back("unused bytes at the end of the file");
  return contents;
}

}  // namespace pictures
