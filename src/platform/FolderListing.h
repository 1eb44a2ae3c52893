#pragma once
// The entries of one folder, as the folder scanner reads a drive.

#include <cstdint>
#include <functional>
#include <string_view>

namespace quenora {

struct FolderEntry {
  std::string_view name;    // UTF-8, valid only during the call that hands it over
  std::uint64_t bytes = 0;  // a file's size as the folder lists it; 0 for a folder
  bool directory = false;
  // A junction, symbolic link or mounted folder: an entry that names another place.
  bool link = false;
};

enum class ListingOutcome {
  Ok,
  Unreadable,  // access denied, or the folder couldn't be read for another reason
  NotFound,
};

class FolderListing {
 public:
  // Called once per entry ("." and ".." left out); returning false stops the listing.
  using EntrySink = std::function<bool(const FolderEntry&)>;

  virtual ~FolderListing() = default;
  // Lists the folder at `path` ("D:\" or "D:\Export"). Called from several threads at once.
  virtual ListingOutcome List(std::string_view path, const EntrySink& sink) = 0;
};

}  // namespace quenora
