// Draws Quenora's pictures (option pages, drive list, pointer, emblem, program icon, the start
// hint's and the About dialog's banners) into .ico, .cur, .png and .bmp files, or checks files
// written before. The start hint's banner shows the program's own tray pictures, so the tool
// is built with the code that draws them:
//
//   g++ -std=c++20 -O2 -Wall -Wextra -Werror -Isrc tools/pictures/*.cpp
//       src/monitor/TrayPictures.cpp -o /tmp/draw_pictures      (one command line)
//   /tmp/draw_pictures resources/            writes the files
//   /tmp/draw_pictures --check resources/    re-reads them; exit code 1 on any problem
//
// The files are committed, so building the program never needs this tool; run it again after
// changing a drawing and look at the result, e.g. `convert resources/page_alarm.ico x.png`.
// Run it again, too, after the tray pictures changed: the start hint's banner must show them
// as they are.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "IconFile.h"
#include "Pictures.h"
#include "Png.h"

namespace {

using pictures::Image;

struct PictureFile {
  const char* name;
  std::vector<int> sizes;
  Image (*draw)(int pixels);
  bool cursor;
};

Image DrawPointerAt(int) {
  return pictures::DrawMousePointer();
}

// The page pictures come in the sizes for 100 and 200 percent (the system shrinks the larger
// one well for the steps between); the others in the sizes Windows asks for where they are
// shown. Every size is weight in the exe, which is meant to stay small.
const std::vector<PictureFile>& Files() {
  static const std::vector<PictureFile> files = {
      {"page_drives.ico", {48, 96}, pictures::DrawPageDrives, false},
      {"page_interval.ico", {48, 96}, pictures::DrawPageInterval, false},
      {"page_alarm.ico", {48, 96}, pictures::DrawPageAlarm, false},
      {"page_autostart.ico", {48, 96}, pictures::DrawPageAutostart, false},
      {"drive_small.ico", {16, 20, 24, 32}, pictures::DrawDriveSmall, false},
      {"hand_pointer.cur", {32}, DrawPointerAt, true},
      {"emblem.ico", {16, 24, 32, 48}, pictures::DrawEmblem, false},
      {"app.ico", {16, 24, 32, 48}, pictures::DrawAppIcon, false},
  };
  return files;
}

// Pictures without transparency, shown pixel for pixel: the start hint's banner as PNG (the
// program reads it with the system's picture decoder, at a tenth of the bitmap's size), the
// About banner as a plain 24-bit BMP file, from which its JPEG is made.
struct BitmapFile {
  const char* name;
  Image (*draw)();
};

const std::vector<BitmapFile>& Bitmaps() {
  static const std::vector<BitmapFile> bitmaps = {
      {"start_banner.png", pictures::DrawStartBanner},
      {"about_banner.bmp", pictures::DrawAboutBanner},
  };
  return bitmaps;
}

constexpr std::size_t kBmpHeaderSize = 14 + 40;

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t GetLittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

std::size_t BmpRowSize(int width) {
  return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

// A file header and a BITMAPINFOHEADER, then the rows from the bottom up, blue, green, red,
// each row padded to four bytes: the form every resource compiler and LoadImage take.
std::vector<std::uint8_t> BmpFileBytes(const Image& image) {
  const std::size_t rowSize = BmpRowSize(image.width);
  const auto dataSize =
      static_cast<std::uint32_t>(rowSize * static_cast<std::size_t>(image.height));
  std::vector<std::uint8_t> bytes = {'B', 'M'};
  PutLittleEndian(bytes, static_cast<std::uint32_t>(kBmpHeaderSize) + dataSize, 4);
  PutLittleEndian(bytes, 0, 4);
  PutLittleEndian(bytes, kBmpHeaderSize, 4);
  PutLittleEndian(bytes, 40, 4);
  PutLittleEndian(bytes, static_cast<std::uint32_t>(image.width), 4);
  PutLittleEndian(bytes, static_cast<std::uint32_t>(image.height), 4);
  PutLittleEndian(bytes, 1, 2);   // planes
  PutLittleEndian(bytes, 24, 2);  // bits per pixel
  PutLittleEndian(bytes, 0, 4);   // BI_RGB
  PutLittleEndian(bytes, dataSize, 4);
  PutLittleEndian(bytes, 2835, 4);  // 72 dpi, as paint programs write it
  PutLittleEndian(bytes, 2835, 4);
  PutLittleEndian(bytes, 0, 4);
  PutLittleEndian(bytes, 0, 4);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* pixel = image.At(x, y);
      bytes.insert(bytes.end(), {pixel[2], pixel[1], pixel[0]});
    }
    bytes.resize(bytes.size() + rowSize - static_cast<std::size_t>(image.width) * 3, 0);
  }
  return bytes;
}

struct BmpContents {
  Image image;
  std::vector<std::string> problems;
};

// Reads back what BmpFileBytes writes, and says what else it finds.
BmpContents ReadBmpFile(const std::vector<std::uint8_t>& bytes) {
  BmpContents contents;
  auto& problems = contents.problems;
  if (bytes.size() < kBmpHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
    problems.push_back("not a BMP file");
    return contents;
  }
  const auto width = static_cast<std::int32_t>(GetLittleEndian(bytes, 18, 4));
  const auto height = static_cast<std::int32_t>(GetLittleEndian(bytes, 22, 4));
  if (GetLittleEndian(bytes, 14, 4) != 40) problems.push_back("header is not a BITMAPINFOHEADER");
  if (GetLittleEndian(bytes, 28, 2) != 24) problems.push_back("not 24 bits a pixel");
  if (GetLittleEndian(bytes, 30, 4) != 0) problems.push_back("compressed");
  if (width <= 0 || height <= 0) problems.push_back("not a bottom-up picture with a size");
  if (!problems.empty()) return contents;
  const std::size_t rowSize = BmpRowSize(width);
  const std::size_t offset = GetLittleEndian(bytes, 10, 4);
  const std::size_t expected = offset + rowSize * static_cast<std::size_t>(height);
  if (GetLittleEndian(bytes, 2, 4) != bytes.size() || bytes.size() != expected) {
    problems.push_back("file size does not match the header");
    return contents;
  }
  Image& image = contents.image;
  image.width = width;
  image.height = height;
  image.rgba.resize(static_cast<std::size_t>(width * height) * 4);
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offset + rowSize * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* source = &bytes[row + static_cast<std::size_t>(x) * 3];
      std::uint8_t* pixel = image.At(x, y);
      pixel[0] = source[2];
      pixel[1] = source[1];
      pixel[2] = source[0];
      pixel[3] = 255;
    }
  }
  return contents;
}

bool IsPng(const BitmapFile& file) {
  return std::string_view(file.name).ends_with(".png");
}

std::vector<std::uint8_t> FileBytes(const BitmapFile& file) {
  return IsPng(file) ? pictures::PngFileBytes(file.draw()) : BmpFileBytes(file.draw());
}

std::vector<Image> DrawImages(const PictureFile& file) {
  std::vector<Image> images;
  for (int size : file.sizes) images.push_back(file.draw(size));
  return images;
}

std::vector<std::uint8_t> FileBytes(const PictureFile& file) {
  std::optional<pictures::Hotspot> hotspot;
  if (file.cursor) hotspot = pictures::MousePointerHotspot();
  return pictures::IconFileBytes(DrawImages(file), hotspot);
}

std::optional<std::vector<std::uint8_t>> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    return false;
  }
  std::printf("wrote %s (%zu bytes)\n", path.string().c_str(), bytes.size());
  return true;
}

int Write(const std::filesystem::path& folder) {
  for (const PictureFile& file : Files()) {
    if (!WriteFile(folder / file.name, FileBytes(file))) return 1;
  }
  for (const BitmapFile& file : Bitmaps()) {
    if (!WriteFile(folder / file.name, FileBytes(file))) return 1;
  }
  return 0;
}

// A picture that is all transparent, or has no transparent pixel left, was not drawn as
// meant: every one of these pictures is an object with free ground around it.
std::vector<std::string> ContentProblems(const Image& image) {
  int transparent = 0;
  int solid = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const auto alpha = image.At(x, y)[3];
      if (alpha == 0) ++transparent;
      if (alpha >= 128) ++solid;
    }
  }
  const int total = image.width * image.height;
  std::vector<std::string> problems;
  if (transparent == 0) problems.push_back("no transparent pixel");
  if (solid * 5 < total) problems.push_back("less than a fifth of it is solid");
  return problems;
}

std::vector<std::string> CheckFile(const std::filesystem::path& folder, const PictureFile& file) {
  const auto bytes = ReadBytes(folder / file.name);
  if (!bytes) return {"missing or unreadable"};
  const pictures::IconFileContents contents = pictures::ReadIconFile(*bytes);
  std::vector<std::string> problems = contents.problems;
  if (contents.cursor != file.cursor) {
    problems.push_back(file.cursor ? "an icon, not a cursor" : "a cursor, not an icon");
  }
  if (contents.entries.size() != file.sizes.size()) {
    problems.push_back(std::to_string(contents.entries.size()) + " images instead of " +
                       std::to_string(file.sizes.size()));
  }
  for (std::size_t i = 0; i < contents.entries.size() && i < file.sizes.size(); ++i) {
    const auto& entry = contents.entries[i];
    const std::string which = std::to_string(file.sizes[i]) + " px image: ";
    if (entry.width != file.sizes[i] || entry.height != file.sizes[i]) {
      problems.push_back(which + "is " + std::to_string(entry.width) + " x " +
                         std::to_string(entry.height));
      continue;
    }
    if (entry.image.rgba.empty()) continue;  // not decoded; its problem is listed already
    for (const auto& problem : ContentProblems(entry.image)) problems.push_back(which + problem);
    if (file.cursor) {
      const auto& spot = entry.hotspot;
      if (entry.image.At(spot.x, spot.y)[3] < 128) {
        problems.push_back(which + "the hotspot is not on the drawing");
      }
    }
  }
  // Files left behind by an older drawing would pass all of the above; they must show what
  // this tool draws now. Another compiler's sine may round a channel the other way, so a
  // step or two per channel is let through.
  if (problems.empty()) {
    const auto drawn = DrawImages(file);
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      const auto& stored = contents.entries[i].image.rgba;
      const auto& fresh = drawn[i].rgba;
      bool same = stored.size() == fresh.size();
      for (std::size_t j = 0; same && j < fresh.size(); ++j) {
        same = std::abs(static_cast<int>(stored[j]) - static_cast<int>(fresh[j])) <= 2;
      }
      if (!same) {
        problems.push_back(std::to_string(file.sizes[i]) +
                           " px image differs from what the tool draws now; run it to write "
                           "the files again");
      }
    }
    if (file.cursor) {
      const auto spot = pictures::MousePointerHotspot();
      const auto& stored = contents.entries.front().hotspot;
      if (stored.x != spot.x || stored.y != spot.y) {
        problems.push_back("hotspot differs from the drawing's tip");
      }
    }
  }
  return problems;
}

// A banner is opaque and shows what the tool draws now, give or take the rounding of another
// compiler's sine.
std::vector<std::string> CheckFile(const std::filesystem::path& folder, const BitmapFile& file) {
  const auto bytes = ReadBytes(folder / file.name);
  if (!bytes) return {"missing or unreadable"};
  BmpContents contents;
  if (IsPng(file)) {
    pictures::PngContents png = pictures::ReadPngFile(*bytes);
    contents = {std::move(png.image), std::move(png.problems)};
  } else {
    contents = ReadBmpFile(*bytes);
  }
  std::vector<std::string> problems = contents.problems;
  if (!problems.empty()) return problems;
  const Image drawn = file.draw();
  for (std::size_t i = 3; i < drawn.rgba.size(); i += 4) {
    if (drawn.rgba[i] != 255) {
      problems.push_back("the drawing is not opaque everywhere");
      break;
    }
  }
  const Image& stored = contents.image;
  if (stored.width != drawn.width || stored.height != drawn.height) {
    problems.push_back("is " + std::to_string(stored.width) + " x " +
                       std::to_string(stored.height) + ", the drawing " +
                       std::to_string(drawn.width) + " x " + std::to_string(drawn.height));
    return problems;
  }
  for (std::size_t j = 0; j < drawn.rgba.size(); ++j) {
    if (std::abs(static_cast<int>(stored.rgba[j]) - static_cast<int>(drawn.rgba[j])) > 2) {
      problems.push_back("differs from what the tool draws now; run it to write the files again");
      break;
    }
  }
  return problems;
}

// Prints the problems of one file; true when it has any.
template <typename File>
bool Report(const std::filesystem::path& folder, const File& file) {
  const auto problems = CheckFile(folder, file);
  if (problems.empty()) {
    std::printf("ok      %s\n", file.name);
    return false;
  }
  for (const auto& problem : problems) std::printf("FAULT   %s: %s\n", file.name, problem.c_str());
  return true;
}

int Check(const std::filesystem::path& folder) {
  int faulty = 0;
  for (const PictureFile& file : Files()) faulty += Report(folder, file);
  for (const BitmapFile& file : Bitmaps()) faulty += Report(folder, file);
  std::printf("%d of %zu files faulty\n", faulty, Files().size() + Bitmaps().size());
  return faulty == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] != "--check") return Write(args[0]);
  if (args.size() == 2 && args[0] == "--check") return Check(args[1]);
  std::fprintf(stderr, "usage: %s FOLDER | --check FOLDER\n", argc > 0 ? argv[0] : "draw_pictures");
  return 2;
}
