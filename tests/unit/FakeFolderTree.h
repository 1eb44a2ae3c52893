#pragma once
// A drive's folders as a script for the folder scanner: files with sizes, links that lead
// elsewhere on the drive, folders that can't be read. Records what was listed.

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/FolderListing.h"

namespace quenora::testing {

class FakeFolderTree : public FolderListing {
 public:
  // Paths as the scanner spells them: "D:\" for the root, "D:\a\b" below it.
  void AddFile(const std::string& path, std::uint64_t bytes) {
    AddEntry(path, {Name(path), bytes, false, false, {}});
  }
  void AddFolder(const std::string& path) {
    if (folders_.count(path)) return;
    folders_[path];
    if (!IsRoot(path)) AddEntry(path, {Name(path), 0, true, false, {}});
  }
  // A junction or symbolic link at `path` to the folder `target`: a scan that follows it
  // lists `target` under the link's name.
  void AddLink(const std::string& path, const std::string& target) {
    AddEntry(path, {Name(path), 0, true, true, target});
  }
  void Deny(const std::string& folder) { folders_[folder].outcome = ListingOutcome::Unreadable; }

  ListingOutcome List(std::string_view path, const EntrySink& sink) override {
    ++listings;
    if (onListing) onListing(path);
    // A scan stuck in a loop of links ends here instead of never.
    if (listings > 100000) return ListingOutcome::Unreadable;
    const auto found = folders_.find(Resolve(std::string(path)));
    if (found == folders_.end()) return ListingOutcome::NotFound;
    if (found->second.outcome != ListingOutcome::Ok) return found->second.outcome;
    for (const Entry& entry : found->second.entries) {
      ++entriesHandedOut;
      if (!sink({entry.name, entry.bytes, entry.directory, entry.link})) break;
    }
    return ListingOutcome::Ok;
  }

  // Called on the lister's thread before each listing.
  std::function<void(std::string_view)> onListing;
  std::atomic<int> listings{0};
  std::atomic<int> entriesHandedOut{0};

 private:
  struct Entry {
    std::string name;
    std::uint64_t bytes;
    bool directory;
    bool link;
    std::string target;
  };
  struct Folder {
    ListingOutcome outcome = ListingOutcome::Ok;
    std::vector<Entry> entries;
  };

  static bool IsRoot(const std::string& path) { return path.size() == 3; }
  static std::string Parent(const std::string& path) {
    const std::size_t cut = path.rfind('\\');
    return cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
  }
  static std::string Name(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

  void AddEntry(const std::string& path, Entry entry) {
    AddFolder(Parent(path));
    folders_[Parent(path)].entries.push_back(std::move(entry));
  }

  // The path with every link in it replaced by the folder it leads to.
  std::string Resolve(std::string path) const {
    for (bool changed = true; changed;) {
      changed = false;
      for (const auto& [folder, contents] : folders_) {
        for (const Entry& entry : contents.entries) {
          if (!entry.link) continue;
          const std::string link =
              IsRoot(folder) ? folder + entry.name : folder + "\\" + entry.name;
          if (path == link || path.rfind(link + "\\", 0) == 0) {
            std::string rest = path.substr(link.size());
            if (entry.target.back() == '\\' && !rest.empty()) rest.erase(0, 1);
            path = entry.target + rest;
            changed = true;
          }
        }
      }
    }
    return path;
  }

  std::map<std::string, Folder> folders_;
};

}  // namespace quenora::testing
