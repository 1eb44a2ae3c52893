#pragma once
// History files in memory, by path; writes fail while told to, as on a full disk or a drive
// that went away.

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/HistoryFiles.h"

namespace quenora::testing {

class FakeHistoryFiles : public HistoryFiles {
 public:
  struct Entry {
    std::vector<std::uint8_t> bytes;
    bool held = false;
  };
  using Outcome = OpenedHistoryFile::Outcome;

  std::string LocalAppData() override { return "C:\\Users\\Ida\\AppData\\Local"; }
  bool MakeFolders(std::string_view) override { return true; }
  OpenedHistoryFile Open(std::string_view path) override {
    const auto it = files.find(std::string(path));
    return it == files.end() ? OpenedHistoryFile{Outcome::kMissing, nullptr} : Hold(it->second);
  }
  OpenedHistoryFile Create(std::string_view path, std::uint64_t size) override {
    std::shared_ptr<Entry>& entry = files[std::string(path)];
    if (entry) return {Outcome::kFailed, nullptr};
    entry = std::make_shared<Entry>(Entry{std::vector<std::uint8_t>(size)});
    return Hold(entry);
  }
  bool SetAside(std::string_view path) override {
    const auto it = files.find(std::string(path));
    if (it == files.end() || it->second->held) return false;
    files[std::string(path) + ".defekt"] = it->second;
    files.erase(it);
    return true;
  }

  std::map<std::string, std::shared_ptr<Entry>> files;
  bool failWrites = false;

 private:
  class File : public HistoryFile {
   public:
    File(std::shared_ptr<Entry> entry, const bool& failWrites)
        : entry_(std::move(entry)), failWrites_(failWrites) {}
    ~File() override { entry_->held = false; }
    std::uint64_t Size() override { return entry_->bytes.size(); }
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
      if (offset + into.size() > entry_->bytes.size()) return false;
      std::copy_n(entry_->bytes.data() + offset, into.size(), into.data());
      return true;
    }
    bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
      if (failWrites_ || offset + bytes.size() > entry_->bytes.size()) return false;
      std::copy(bytes.begin(), bytes.end(), entry_->bytes.data() + offset);
      return true;
    }
    bool Flush() override { return !failWrites_; }

   private:
    std::shared_ptr<Entry> entry_;
    const bool& failWrites_;
  };

  OpenedHistoryFile Hold(const std::shared_ptr<Entry>& entry) {
    if (entry->held) return {Outcome::kInUse, nullptr};
    entry->held = true;
    return {Outcome::kOpened, std::make_unique<File>(entry, failWrites)};
  }
};

}  // namespace quenora::testing
