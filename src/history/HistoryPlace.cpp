#include "history/HistoryPlace.h"

#include <algorithm>
#include <cstdint>

namespace quenora {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// Enough to tell the share by, short enough for any path the folder has.
constexpr std::size_t kMaxNamePart = 48;

std::string Hex(std::uint32_t value, int digits) {
  std::string text(digits, '0');
  for (int k = digits - 1; k >= 0; --k, value >>= 4) text[k] = kHex[value & 0xF];
  return text;
}

// `text` with every character a file name can't hold (and every control character) as
// `instead`, cut at a character's boundary.
std::string SafePart(std::string_view text, char instead) {
  std::string part;
  for (const char c : text) {
    if (part.size() >= kMaxNamePart && (c & 0xC0) != 0x80) break;
    const bool bad = static_cast<unsigned char>(c) < 0x20 ||
                     std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    part.push_back(bad ? instead : c);
  }
  return part;
}

}  // namespace

std::string HistoryFolder(std::string_view localAppData) {
  if (localAppData.empty()) return {};
  std::string folder(localAppData);
  if (folder.back() != '\\') folder.push_back('\\');
  return folder + "Tarnwick Software\\Quenora\\Verlauf\\";
}

std::string HistoryFileName(const VolumeIdentity& volume) {
  if (volume.remoteName.empty()) {
    // As "dir" shows the serial number; the file system tells apart the rare two volumes with
    // the same number.
    return SafePart(volume.fileSystem, '_') + "-" + Hex(volume.serialNumber >> 16, 4) + "-" +
           Hex(volume.serialNumber & 0xFFFF, 4) + ".verlauf";
  }
  // The readable part may be cut or have lost characters; the hash of the whole name (as
  // Windows compares share names: without regard to ASCII case) keeps two shares apart.
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (char c : volume.remoteName) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  const std::size_t share =
      std::min(volume.remoteName.find_first_not_of('\\'), volume.remoteName.size());
  return "Netz-" + SafePart(std::string_view(volume.remoteName).substr(share), '-') + "-" +
         Hex(hash, 8) + ".verlauf";
}

}  // namespace quenora
