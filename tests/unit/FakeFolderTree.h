#pragma once
// A drive's folders as a script for the folder scanner: files with sizes, links, folders that
// can't be read. Counts what was listed.

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
  void AddFile(const std::string& path, std::uint64_t bytes) { Add(path, {bytes, false, false}); }
  // A junction at `path`: a scan that follows it lists `target` there.
  void AddLink(const std::string& path, const std::string& target) {
    Add(path, {0, true, true});
    links_[path] = target;
  }
  void Deny(const std::string& folder) { denied_.push_back(folder); }

  ListingOutcome List(std::string_view path, const EntrySink& sink) override {
    ++listings;
    if (onListing) onListing(path);
    std::string folder(path);
    if (links_.count(folder)) folder = links_[folder];
    for (const std::string& denied : denied_) {
      if (folder == denied) return ListingOutcome::Unreadable;
    }
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return ListingOutcome::NotFound;
    for (const auto& [name, entry] : found->second) {
      ++entriesHandedOut;
      if (entry.directory && !entry.link) ++foldersHandedOut;
      if (!sink({name, entry.bytes, entry.directory, entry.link})) break;
    }
    return ListingOutcome::Ok;
  }

  std::function<void(std::string_view)> onListing;  // on the lister's thread
  std::atomic<int> listings{0};
  std::atomic<int> entriesHandedOut{0};
  std::atomic<int> foldersHandedOut{0};

 private:
  struct Entry {
    std::uint64_t bytes;
    bool directory;
    bool link;
  };

  // Adds the entry and every folder on its way from the root.
  void Add(const std::string& path, Entry entry) {
    const std::size_t cut = path.rfind('\\');
    const std::string parent = cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
    const auto [at, added] = folders_.try_emplace(parent);
    at->second.emplace_back(path.substr(cut + 1), entry);
    if (added && parent.size() > 3) Add(parent, {0, true, false});
  }

  std::map<std::string, std::vector<std::pair<std::string, Entry>>> folders_;
  std::map<std::string, std::string> links_;
  std::vector<std::string> denied_;
};

}  // namespace quenora::testing
