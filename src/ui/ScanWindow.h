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
inline constexpr int kClientWidth = 9300;
inline constexpr int kClientHeight = 6180;
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

 private:
  bool Form_Load() override;
  void Form_DpiChanged() override;
  void Control_Command(int id, int code) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
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
  bool timerOn_ = false;
};

}  // namespace quenora::win32
