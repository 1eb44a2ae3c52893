#pragma once
// The files that hold the drives' recorded histories: opened exclusively, made at their full
// size, read and written at offsets.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace quenora {

// One open file, held exclusively: nobody else may open, write or delete it meanwhile. Closed
// when the object goes.
class HistoryFile {
 public:
  virtual ~HistoryFile() = default;
  virtual std::uint64_t Size() = 0;
  // Reads exactly `into.size()` bytes at `offset`; false when that failed or the file ends first.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
  // Writes all of `bytes` at `offset`, inside the file's size; false when that failed.
  virtual bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
  // Hands what was written to the disk itself.
  virtual bool Flush() = 0;
};

struct OpenedHistoryFile {
  enum class Outcome { kOpened, kMissing, kInUse, kFailed };
  Outcome outcome = Outcome::kFailed;
  std::unique_ptr<HistoryFile> file;  // with kOpened
};

class HistoryFiles {
 public:
  virtual ~HistoryFiles() = default;
  // The user's local application data folder, UTF-8, without a trailing backslash; empty when
  // the system can't tell.
  virtual std::string LocalAppData() = 0;
  // Makes `folder` and every folder above it that is missing; true when it is there.
  virtual bool MakeFolders(std::string_view folder) = 0;
  // The file at `path` as it is: kMissing when there is none, kInUse when someone holds it.
  virtual OpenedHistoryFile Open(std::string_view path) = 0;
  // A new file at `path` of `size` zero bytes, all of them taken from the disk at once, so that
  // a write within it never meets a full disk. Fails (kInUse, kFailed) when a file is there.
  virtual OpenedHistoryFile Create(std::string_view path, std::uint64_t size) = 0;
  // Renames the file at `path` to `path` + ".defekt", replacing one of that name.
  virtual bool SetAside(std::string_view path) = 0;
};

}  // namespace quenora
