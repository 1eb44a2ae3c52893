// A real drive scanned through the system's listing: a tree of 200,000 files that
// folder_scan.sh made and mapped to a drive letter, with the totals that find counted there. A
// file with two names counts at both: the listing tells no file's number of names.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "platform/win32/Win32FolderListing.h"
#include "scan/FolderScanner.h"

namespace quenora::win32 {
namespace {

using Totals = std::map<std::string, std::pair<std::uint64_t, std::uint64_t>>;  // bytes, files

// The system's listing, counting the links it reports.
class CountingListing : public Win32FolderListing {
 public:
  ListingOutcome List(std::string_view path, const EntrySink& sink) override {
    return Win32FolderListing::List(path, [&](const FolderEntry& entry) {
      if (entry.link) ++links;
      return sink(entry);
    });
  }
  std::atomic<int> links{0};
};

class FolderScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* drive = std::getenv("QUENORA_SCAN_DRIVE");
    const char* expected = std::getenv("QUENORA_SCAN_EXPECTED");
    const char* fileLinks = std::getenv("QUENORA_SCAN_FILE_LINKS");
    ASSERT_TRUE(drive && expected && fileLinks) << "run through folder_scan.sh";
    drive_ = drive;
    // "bytes<TAB>files<TAB>first-level folder", the root's line with an empty name.
    for (const auto& [file, totals] : {std::pair{expected, &expected_}, {fileLinks, &fileLinks_}}) {
      std::ifstream lines(file);
      std::uint64_t bytes = 0;
      std::uint64_t files = 0;
      std::string name;
      while (lines >> bytes >> files && std::getline(lines, name)) {
        (*totals)[drive_ + "\\" + name.substr(name.empty() ? 0 : 1)] = {bytes, files};
      }
    }
    ASSERT_FALSE(expected_.empty());
  }

  std::string drive_;
  Totals expected_;
  Totals fileLinks_;  // the files that symbolic links to files name, where the links lie
};

TEST_F(FolderScanTest, TotalsOfTheRootAndTheFirstLevelAreThoseOfTheFilesOnTheDrive) {
  CountingListing listing;
  const std::atomic<bool> cancel{false};
  ScanProgress progress;
  const DriveScan scan = ScanDrive(listing, drive_, cancel, progress);

  ASSERT_TRUE(scan.complete);
  Totals found;
  for (const ScannedFolder& folder : scan.folders) {
    if (folder.depth <= 1) found[folder.path] = {folder.bytes, folder.files};
  }
  // Both links to folders lead back into the tree: followed, they would count its files twice.
  // A symbolic link to a file carries the reparse flag on Windows and is skipped; wine shows it
  // as a plain file, and its file is counted there once more.
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  const int linkedFiles = static_cast<int>(fileLinks_[drive_ + "\\"].second);
  ASSERT_EQ(linkedFiles, 1);
  EXPECT_EQ(listing.links, wine ? 2 : 2 + linkedFiles);
  if (wine) {
    for (const auto& [folder, totals] : fileLinks_) {
      expected_[folder].first += totals.first;
      expected_[folder].second += totals.second;
    }
  }
  EXPECT_EQ(found, expected_);
  EXPECT_GE(scan.folders[0].files, 200000u);
  EXPECT_EQ(scan.folders[0].unreadableFolders, 0u);
}

}  // namespace
}  // namespace quenora::win32
