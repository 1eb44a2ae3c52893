#pragma once
// Files by path (UTF-8): look-up with attributes, attribute reset, delete.

#include <cstdint>
#include <optional>
#include <string_view>

namespace quenora {

// Attribute bits with the system's numbers.
inline constexpr std::uint32_t kFileReadOnly = 0x1;
inline constexpr std::uint32_t kFileHidden = 0x2;
inline constexpr std::uint32_t kFileSystem = 0x4;
inline constexpr std::uint32_t kFileDirectory = 0x10;
inline constexpr std::uint32_t kFileNormal = 0x80;

class Files {
 public:
  virtual ~Files() = default;
  // The attributes of whatever is at `path`, any kind; nullopt when nothing is or the look-up
  // fails.
  virtual std::optional<std::uint32_t> FindFile(std::string_view path) = 0;
  // Resets the attributes to normal (clears read-only); false when that failed.
  virtual bool SetNormalAttributes(std::string_view path) = 0;
  virtual bool DeleteFileAt(std::string_view path) = 0;
};

// Whether a plain file is at `path`: found, and neither hidden, system nor a folder (read-only
// files count), the way a look-up of normal files sees it. Any failure counts as no file; the
// empty path isn't looked up at all.
inline bool FileExists(Files& files, std::string_view path) {
  if (path.empty()) return false;
  const std::optional<std::uint32_t> attributes = files.FindFile(path);
  return attributes && (*attributes & (kFileHidden | kFileSystem | kFileDirectory)) == 0;
}

}  // namespace quenora
