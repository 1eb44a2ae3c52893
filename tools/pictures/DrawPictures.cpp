// Draws Quenora's pictures (option pages, drive list, pointer, emblem, program icon) into
// .ico and .cur files, or checks files written before.
//
//   g++ -std=c++20 -O2 -Wall -Wextra -Werror tools/pictures/*.cpp -o /tmp/draw_pictures
//   /tmp/draw_pictures resources/            writes the files
//   /tmp/draw_pictures --check resources/    re-reads them; exit code 1 on any problem
//
// The files are committed, so building the program never needs this tool; run it again after
// changing a drawing and look at the result, e.g. `convert resources/page_alarm.ico x.png`.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "IconFile.h"
#include "Pictures.h"

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

// The page pictures come in the sizes for 100, 133, 150 and 200 percent; the others in the
// sizes Windows asks for where they are shown.
const std::vector<PictureFile>& Files() {
  static const std::vector<PictureFile> files = {
      {"page_drives.ico", {48, 64, 72, 96}, pictures::DrawPageDrives, false},
      {"page_interval.ico", {48, 64, 72, 96}, pictures::DrawPageInterval, false},
      {"page_alarm.ico", {48, 64, 72, 96}, pictures::DrawPageAlarm, false},
      {"page_autostart.ico", {48, 64, 72, 96}, pictures::DrawPageAutostart, false},
      {"drive_small.ico", {16, 20, 24, 32}, pictures::DrawDriveSmall, false},
      {"hand_pointer.cur", {32}, DrawPointerAt, true},
      {"emblem.ico", {16, 24, 32, 48, 64, 96, 128}, pictures::DrawEmblem, false},
      {"app.ico", {16, 24, 32, 48, 256}, pictures::DrawAppIcon, false},
  };
  return files;
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

int Write(const std::filesystem::path& folder) {
  for (const PictureFile& file : Files()) {
    const auto bytes = FileBytes(file);
    const auto path = folder / file.name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("wrote %s (%zu bytes)\n", path.string().c_str(), bytes.size());
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

int Check(const std::filesystem::path& folder) {
  int faulty = 0;
  for (const PictureFile& file : Files()) {
    const auto problems = CheckFile(folder, file);
    if (problems.empty()) {
      std::printf("ok      %s\n", file.name);
      continue;
    }
    ++faulty;
    for (const auto& problem : problems)
      std::printf("FAULT   %s: %s\n", file.name, problem.c_str());
  }
  std::printf("%d of %zu files faulty\n", faulty, Files().size());
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
