#include "ui/ScanWindow.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>

#include "AccessibleName.h"
#include "Fakes.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {
namespace {

using namespace scanwindow;
constexpr std::uint64_t kGB = 1073741824;

// Scans by drive as the test sets them; starting and cancelling are recorded and change the
// drive's state as the scanner would.
class FakeScans : public ScanSource {
 public:
  struct Drive {
    std::optional<DriveScan> latest, previous;
    bool running = false;
    std::uint64_t folders = 0, bytes = 0;
  };
  State StateOf(std::string_view drive) override {
    const Drive& d = drives[std::string(drive)];
    return {d.latest ? &*d.latest : nullptr, d.previous ? &*d.previous : nullptr, d.running,
            d.folders, d.bytes};
  }
  void StartScan(std::string_view drive) override {
    started.emplace_back(drive);
    drives[std::string(drive)].running = true;
  }
  void CancelScan(std::string_view drive) override {
    cancelled.emplace_back(drive);
    drives[std::string(drive)].running = false;
  }
  std::map<std::string, Drive> drives;
  std::vector<std::string> started, cancelled;
};

DriveScan Scan(std::vector<std::pair<std::string, std::uint64_t>> folders) {
  // The root, then its folders.
  DriveScan scan;
  scan.drive = "D:";
  scan.complete = true;
  scan.finished = std::chrono::system_clock::now();
  for (std::size_t i = 0; i < folders.size(); ++i) {
    scan.folders.push_back({folders[i].first, i ? 1 : 0, i ? 0 : -1, folders[i].second});
  }
  return scan;
}

class ScanWindowTest : public ::testing::Test {
 protected:
  std::string Text(int id) const {
    wchar_t text[512] = {};
    GetWindowTextW(window->Control(id), text, 512);
    return Narrow(text);
  }
  bool Visible(int id) const { return IsWindowVisible(window->Control(id)) != FALSE; }
  std::string Cell(int row, int column) const {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(window->Control(kFolderList), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
  }
  void DoubleClick(int row) const {
    HWND list = window->Control(kFolderList);
    RECT rect{};
    rect.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
  }

  FakeScans scans;
  testing::FakeShell shell;
  testing::FakeSystem system;
  struct : HistoryOpener {
    void ShowHistory(char letter) override { opened += letter; }
    std::string opened;
  } history;
  std::unique_ptr<ScanWindow> window = std::make_unique<ScanWindow>(
      GetModuleHandleW(nullptr), nullptr, scans, shell, system, &history);
};

TEST_F(ScanWindowTest, ADriveWithoutScansIsScannedWithProgressUntilCancelled) {
  scans.drives["D:"].folders = 12345;
  scans.drives["D:"].bytes = 81 * kGB;
  window->ShowDrive('D', 512.0 * kGB, 51.2 * kGB, "DATEN");
  ASSERT_NE(window->hWnd(), nullptr);
  EXPECT_EQ(scans.started, std::vector<std::string>{"D:"});
  wchar_t title[64] = {};
  GetWindowTextW(window->hWnd(), title, 64);
  EXPECT_EQ(Narrow(title), "Was belegt Platz auf D:?");
  EXPECT_EQ(Text(kStateLbl), "Wird durchsucht \xE2\x80\xA6");
  EXPECT_TRUE(Visible(kProgressBar));
  EXPECT_TRUE(Visible(kCancelBtn));
  EXPECT_EQ(Text(kProgressLbl),
            "12\xC2\xA0"
            "345 Ordner, 81,0 GB bisher");
  EXPECT_FALSE(IsWindowEnabled(window->Control(kRescanBtn)));

  SendMessageW(window->Control(kCancelBtn), BM_CLICK, 0, 0);
  EXPECT_EQ(scans.cancelled, std::vector<std::string>{"D:"});
  EXPECT_FALSE(Visible(kProgressBar));
  EXPECT_FALSE(Visible(kCancelBtn));
  EXPECT_EQ(Text(kStateLbl), "Noch nicht durchsucht.");
}

// The list, the progress and the map are named; Alt+S is "&Schließen"'s alone and closes the
// window.
TEST_F(ScanWindowTest, TheListAndProgressAreNamedAndAltSCloses) {
  scans.drives["D:"].running = true;
  window->ShowDrive('D', 512.0 * kGB, 51.2 * kGB, "DATEN");
  EXPECT_EQ(testing::AccessibleName(window->Control(kFolderList)), "Ordner");
  EXPECT_EQ(testing::AccessibleName(window->Control(kProgressBar)), "Fortschritt");
  EXPECT_EQ(testing::AccessibleName(window->Control(kMap)),
            "Belegung als Fl\xC3\xA4"
            "che");
  SendMessageW(window->Control(kHistoryBtn), BM_CLICK, 0, 0);
  EXPECT_EQ(history.opened, "D");
  MSG alt{GetFocus(), WM_SYSCHAR, L's', 0x20000001, 0, {}};
  if (!window->PreTranslateMessage(alt)) DispatchMessageW(&alt);
  EXPECT_EQ(window->hWnd(), nullptr);
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(ScanWindowTest, AFinishedScanListsTheGrowingFirstAndOpensTheChosenFolder) {
  FakeScans::Drive& d = scans.drives["D:"];
  d.running = true;
  window->ShowDrive('D', 100.0 * kGB, 40.0 * kGB, "");
  d.running = false;
  d.previous = Scan({{"D:\\", 50 * kGB}, {"D:\\Filme", 40 * kGB}, {"D:\\Export", 10 * kGB}});
  d.latest = Scan({{"D:\\", 60 * kGB}, {"D:\\Filme", 40 * kGB}, {"D:\\Export", 20 * kGB}});
  window->ScansChanged();

  EXPECT_FALSE(Visible(kProgressBar));
  // The drive's total first, the folders in it indented below it.
  EXPECT_EQ(ListView_GetItemCount(window->Control(kFolderList)), 3);
  EXPECT_EQ(Cell(0, 0), "D:\\");
  EXPECT_EQ(Cell(1, 0), "    Export");
  EXPECT_EQ(Cell(1, 1), "20,0 GB");
  EXPECT_EQ(Cell(1, 2), "20 %");
  EXPECT_EQ(Cell(1, 3).rfind("+10,0 GB seit ", 0), 0u) << Cell(1, 3);
  EXPECT_EQ(Cell(2, 0), "    Filme");
  EXPECT_EQ(Cell(2, 3), "");

  DoubleClick(2);
  ASSERT_EQ(shell.starts.size(), 1u);
  EXPECT_EQ(shell.starts[0].application, "C:\\Windows\\explorer.exe");
  EXPECT_EQ(shell.starts[0].commandLine, "explorer \"D:\\Filme\"");
  // Enter on the list opens the chosen row, too, and presses no button.
  MSG enter{window->Control(kFolderList), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  EXPECT_TRUE(window->PreTranslateMessage(enter));
  EXPECT_EQ(shell.starts.size(), 2u);
  EXPECT_NE(window->hWnd(), nullptr);
  window->ShowDrive('D', 100.0 * kGB, 40.0 * kGB, "");  // its scans known: none is started
  EXPECT_TRUE(scans.started.empty());
  // "Speicher freigeben …" opens Storage Sense on Windows 10 and 11.
  system.windowsVersion = {10, 0, 19045, 2};
  SendMessageW(window->Control(kFreeSpaceBtn), BM_CLICK, 0, 0);
  EXPECT_EQ(shell.opened,
            (std::vector<testing::FakeShell::Opened>{{"ms-settings:storagesense", 1}}));
  EXPECT_EQ(shell.starts.size(), 2u);
  // Moved and sized, the window opens there again after it was closed.
  SetWindowPos(window->hWnd(), nullptr, 40, 30, 900, 700, SWP_NOZORDER);
  RECT before{}, after{};
  GetWindowRect(window->hWnd(), &before);
  SendMessageW(window->Control(kCloseBtn), BM_CLICK, 0, 0);
  ASSERT_EQ(window->hWnd(), nullptr);
  window->ShowDrive('D', 100.0 * kGB, 40.0 * kGB, "");
  GetWindowRect(window->hWnd(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

}  // namespace
}  // namespace quenora::win32
