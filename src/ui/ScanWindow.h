#pragma once
// ScanWindow: "Was belegt Platz auf D:?", what takes a drive's space and what grows, from its
// scans; modeless, one for all drives.

#include <windows.h>

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "scan/ScanSource.h"
#include "ui/HistoryWindow.h"
#include "ui/ScanMap.h"
#include "ui/ScanRows.h"
#include "ui/Window.h"

namespace quenora::win32 {

namespace scanwindow {
inline constexpr int kDriveLbl = 500;
inline constexpr int kStateLbl = 501;
inline constexpr int kFolderList = 502;
inline constexpr int kProgressBar = 503;
inline constexpr int kProgressLbl = 504;
inline constexpr int kCancelBtn = 505;
inline constexpr int kRescanBtn = 506;
inline constexpr int kFreeSpaceBtn = 507;
inline constexpr int kCloseBtn = 508;
inline constexpr int kHintLbl = 509;
inline constexpr int kHistoryBtn = 510;
inline constexpr int kMap = 511;
// The list and the buttons; the map lies beside them, or below them where the window is narrow.
inline constexpr int kClientWidth = 9300;
inline constexpr int kClientHeight = 6180;
// The window as it opens, the map beside the list.
inline constexpr int kWideClientWidth = 15900;
// How often a running scan's progress is shown, in milliseconds.
inline constexpr UINT kProgressInterval = 250;
}  // namespace scanwindow

// The window's controls in twips, in tab order.
std::span<const ControlSpec> ScanWindowControls();

class ScanWindow final : public Window {
 public:
  // `owner` is the options window; the scans, the shell and the system are the program's.
  ScanWindow(HINSTANCE instance, HWND owner, ScanSource& scans, Shell& shell,
             SystemServices& system, HistoryOpener* history = nullptr);

  // Shows the window for drive `letter` ('D'), or switches the open one to it, and starts a
  // scan when the drive has none and none runs. The sizes and label are the monitor's.
  void ShowDrive(char letter, std::optional<double> totalBytes, std::optional<double> freeBytes,
                 std::string label);
  // A scan finished or was dropped: the open window shows what is there now.
  void ScansChanged();
  // The monitor read the shown drive again: its first line follows, nothing else moves.
  void DriveRead(std::optional<double> totalBytes, std::optional<double> freeBytes,
                 std::string label);
  // The drive shown, 0 while the window is closed.
  char Drive() const { return hWnd() ? letter_ : 0; }

  bool PreTranslateMessage(MSG& message) override;

  void LV_DblClick();
  void LV_KeyPress(int keyAscii);
  void CancelBtn_Click();
  void RescanBtn_Click();
  void FreeSpaceBtn_Click();
  void HistoryBtn_Click();
  void Timer1_Timer();
  void Map_Click(int x, int y);
  void Map_MouseMove(int x, int y);
  // The tiles as the map was last drawn, and the tile the list's chosen row outlines (-1: none).
  const std::vector<MapTile>& MapTiles() const { return tiles_; }
  int OutlinedTile() const;

 private:
  bool Form_Load() override;
  void Form_DpiChanged() override;
  void Control_Command(int id, int code) override;
  TwipsRect ControlPlace(const ControlSpec& row) const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  static LRESULT CALLBACK MapProc(HWND map, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR self);
  LRESULT MapMessage(HWND map, UINT message, WPARAM wParam, LPARAM lParam);
  void PaintMap(HDC dc, const RECT& client);
  int SelectedRow() const;
  void PlaceWindow();
  // Shows the drive's scans as they stand now; the rows only when the scans changed.
  void Refresh();
  void ShowRows(const std::vector<ScanRow>& rows);
  void SetColumnWidths();
  void OpenSelectedFolder();
  std::string DriveName() const { return {letter_, ':'}; }

  ScanSource& scans_;
  Shell& shell_;
  SystemServices& system_;
  HistoryOpener* history_;  // none: the button is greyed
  char letter_ = 'C';
  std::optional<double> totalBytes_, freeBytes_;
  std::string label_;
  std::vector<ScanRow> rows_;
  // The scans the rows were built from, by when they finished; a change rebuilds them.
  using Shown = std::optional<std::pair<std::chrono::system_clock::time_point,
                                        std::optional<std::chrono::system_clock::time_point>>>;
  Shown shown_;
  bool rowsBuilt_ = false;
  // What the map shows: a copy of the latest scan, each folder's growth since the earlier one
  // (empty with one scan), and the tiles of its last picture.
  DriveScan mapScan_;
  std::vector<FolderGrowth> growth_;
  std::int64_t mostGrowth_ = 0;
  std::string separator_, previousTime_;
  std::vector<MapTile> tiles_;
  // The map's picture, drawn pixel by pixel, kept while its size stays.
  UniqueBitmap picture_;
  void* pictureBits_ = nullptr;
  SIZE pictureSize_{};
  int hotTile_ = -1, clickedTile_ = -1;
  LONG clickedAt_ = 0;
  UniqueWindow tip_;
  // Where the user left the window, kept while the program runs.
  std::optional<RECT> place_;
  bool timerOn_ = false;
};

}  // namespace quenora::win32
