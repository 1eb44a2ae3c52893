// A real drive scanned through the system's listing: a tree of 200,000 files that
// folder_scan.sh made and mapped to a drive letter, with the totals that find counted there. A
// file with two names counts at both: the listing tells no file's number of names.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "Fakes.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FolderListing.h"
#include "scan/FolderScanner.h"
#include "ui/ScanWindow.h"

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

// The scan in the scan window: its map has a tile for each first-level folder; a click on one
// chooses its row, the chosen row's tile is outlined, a second click opens the folder.
TEST_F(FolderScanTest, TheScanWindowMapsTheDriveAndItsListAndMapFollowEachOther) {
  Win32FolderListing listing;
  const std::atomic<bool> cancel{false};
  ScanProgress progress;
  struct : ScanSource {
    State StateOf(std::string_view) override { return {&scan, nullptr, false, 0, 0}; }
    void StartScan(std::string_view) override {}
    void CancelScan(std::string_view) override {}
    DriveScan scan;
  } scans;
  scans.scan = ScanDrive(listing, drive_, cancel, progress);
  testing::FakeShell shell;
  testing::FakeSystem system;
  ScanWindow window(GetModuleHandleW(nullptr), nullptr, scans, shell, system);
  window.ShowDrive(drive_[0], 1e12, 5e11, "");
  HWND map = window.Control(scanwindow::kMap);
  HWND list = window.Control(scanwindow::kFolderList);
  ASSERT_TRUE(map && list);
  RECT client{};
  GetClientRect(map, &client);
  ASSERT_GT(client.right, 100);
  ASSERT_GT(client.bottom, 100);
  // Drawn into a picture of its own, as the screen gets it.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, picture);
  const auto draw = [&] {
    SendMessageW(map, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  };
  draw();
  const std::vector<MapTile> tiles = window.MapTiles();
  const auto tileOf = [&](const std::string& path) {
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      if (tiles[i].kind == ScanRow::Kind::Folder &&
          scans.scan.folders[static_cast<std::size_t>(tiles[i].folder)].path == path) {
        return static_cast<int>(i);
      }
    }
    return -1;
  };
  const auto rowText = [&](int row) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
  };
  int checked = 0;
  for (const ScannedFolder& folder : scans.scan.folders) {
    if (folder.depth != 1 || folder.bytes * 400 < scans.scan.folders[0].bytes) continue;
    const int tile = tileOf(folder.path);
    ASSERT_GE(tile, 0) << folder.path;
    // A click on its edge, which no tile inside it covers.
    const MapRect& r = tiles[static_cast<std::size_t>(tile)].rect;
    SendMessageW(map, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 1, r.top + 1));
    SendMessageW(map, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 1, r.top + 1));
    const auto row = static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const std::string name = folder.path.substr(folder.path.find_last_of('\\') + 1);
    EXPECT_EQ(rowText(row), "    " + name);
    EXPECT_EQ(window.OutlinedTile(), tile);
    draw();
    EXPECT_EQ(GetPixel(memory, r.left, r.top), GetSysColor(COLOR_WINDOWTEXT)) << folder.path;
    EXPECT_EQ(GetPixel(memory, r.right - 1, r.bottom - 1), GetSysColor(COLOR_WINDOWTEXT));
    ++checked;
  }
  EXPECT_GE(checked, 2);
  // The row chosen in the list outlines its tile; the root's is the whole map.
  LVITEMW state{};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  EXPECT_EQ(window.OutlinedTile(), 0);
  // A second click on the same tile opens it.
  const MapRect& first = tiles[1].rect;
  for (int click = 0; click < 2; ++click) {
    SendMessageW(map, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 1, first.top + 1));
  }
  ASSERT_EQ(shell.starts.size(), 1u);
  EXPECT_EQ(shell.starts[0].commandLine,
            OpenFolderStart("C:\\Windows",
                            scans.scan.folders[static_cast<std::size_t>(tiles[1].folder)].path)
                .commandLine);
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace quenora::win32
