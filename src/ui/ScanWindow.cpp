#include "ui/ScanWindow.h"

#include <commctrl.h>

#include <utility>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {

using namespace scanwindow;

namespace {

// The drive and the state of its scans above the list; the progress of a running scan and
// its Abbrechen below it, then the window's buttons.
constexpr ControlSpec kControls[] = {
    {kDriveLbl, ControlKind::Label, "", {120, 120, 9060, 255}, 0, true},
    {kStateLbl, ControlKind::Label, "", {120, 405, 9060, 255}},
    {kFolderList, ControlKind::ReportList, "Ordner", {120, 750, 9060, 4170}},
    {kProgressBar, ControlKind::ProgressBar, "Fortschritt", {120, 5100, 2100, 240}},
    {kProgressLbl, ControlKind::Label, "", {2340, 5100, 5550, 255}},
    // In the progress's place while no scan runs.
    {kHintLbl,
     ControlKind::Label,
     "Ein Doppelklick auf einen Ordner \xC3\xB6"
     "ffnet ihn im Explorer.",
     {120, 5100, 7770, 255}},
    {kCancelBtn, ControlKind::Button, "&Abbrechen", {8010, 5040, 1170, 375}},
    {kRescanBtn, ControlKind::Button, "&Neu durchsuchen", {120, 5640, 1800, 375}},
    {kFreeSpaceBtn,
     ControlKind::Button,
     "Speicher &freigeben \xE2\x80\xA6",
     {2010, 5640, 2100, 375}},
    {kHistoryBtn, ControlKind::Button, "&Verlauf \xE2\x80\xA6", {4200, 5640, 1500, 375}},
    {kCloseBtn,
     ControlKind::Button,
     "&Schlie\xC3\x9F"
     "en",
     {8010, 5640, 1170, 375}},
};

constexpr UINT_PTR kTimer1 = 1;

struct Column {
  const char* title;
  int width;  // twips
  int format;
};
// The growth column takes what the others leave, less the list's scroll bar and border.
constexpr Column kColumns[] = {
    {"Ordner", 4200, LVCFMT_LEFT},
    {"Gr\xC3\xB6\xC3\x9F"
     "e",
     1100, LVCFMT_RIGHT},
    {"Anteil", 750, LVCFMT_RIGHT},
    {"Wachstum", 2640, LVCFMT_LEFT},
};

// Spaces before a row's name per level below the root: the list's first column shows the tree
// without an image list to indent by.
constexpr int kIndentSpaces = 4;

// "14:05" of a scan's end, in the user's local time of that moment.
std::string LocalClockText(std::chrono::system_clock::time_point when) {
  // The clock counts from 1970, a FILETIME in 100 ns from 1601.
  using Ticks = std::chrono::duration<long long, std::ratio<1, 10000000>>;
  const long long ticks =
      std::chrono::duration_cast<Ticks>(when.time_since_epoch()).count() + 116444736000000000LL;
  FILETIME utc{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utcTime{}, local{};
  if (!FileTimeToSystemTime(&utc, &utcTime) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local)) {
    return "";
  }
  return ClockText(local.wHour, local.wMinute);
}

void SetText(HWND control, const std::string& text) {
  // Only a change is written: the progress changes four times a second, and a label written
  // again flickers.
  const std::wstring wide = Widen(text);
  wchar_t old[512] = {};
  GetWindowTextW(control, old, 512);
  if (wide != old) SetWindowTextW(control, wide.c_str());
}

}  // namespace

std::span<const ControlSpec> ScanWindowControls() {
  return kControls;
}

ScanWindow::ScanWindow(HINSTANCE instance, HWND owner, ScanSource& scans, Shell& shell,
                       SystemServices& system, HistoryOpener* history)
    : Window(instance, owner, {kDialogClass, kClientWidth, kClientHeight, kControls}),
      scans_(scans),
      shell_(shell),
      system_(system),
      history_(history) {}

void ScanWindow::ShowDrive(char letter, std::optional<double> totalBytes,
                           std::optional<double> freeBytes, std::string label) {
  const bool otherDrive = letter != letter_;
  letter_ = letter;
  totalBytes_ = totalBytes;
  freeBytes_ = freeBytes;
  label_ = std::move(label);
  const ScanSource::State state = scans_.StateOf(DriveName());
  // A drive never scanned has nothing to show; the user opened the window to see it.
  if (!state.latest && !state.running) scans_.StartScan(DriveName());
  if (!hWnd()) {
    LoadCommonControls();
    rowsBuilt_ = false;
    if (!Load()) return;
    Refresh();
    Show();
    return;
  }
  if (otherDrive) rowsBuilt_ = false;
  Refresh();
  ShowWindow(hWnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hWnd());
}

void ScanWindow::ScansChanged() {
  if (hWnd()) Refresh();
}

void ScanWindow::DriveRead(std::optional<double> totalBytes, std::optional<double> freeBytes,
                           std::string label) {
  if (!hWnd()) return;
  totalBytes_ = totalBytes;
  freeBytes_ = freeBytes;
  label_ = std::move(label);
  Refresh();
}

bool ScanWindow::Form_Load() {
  TakeOwnersIcons();
  EnableWindow(Control(kHistoryBtn), history_ != nullptr);
  HWND list = Control(kFolderList);
  const LPARAM extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(extended), extended);
  int index = 0;
  for (const Column& column : kColumns) {
    const std::wstring title = Widen(column.title);
    LVCOLUMNW lvColumn{};
    lvColumn.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    lvColumn.fmt = column.format;
    lvColumn.cx = Px(column.width);
    lvColumn.pszText = const_cast<wchar_t*>(title.c_str());
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++),
                 reinterpret_cast<LPARAM>(&lvColumn));
  }
  return true;
}

void ScanWindow::Form_DpiChanged() {
  SetColumnWidths();
}

void ScanWindow::SetColumnWidths() {
  HWND list = Control(kFolderList);
  int index = 0;
  for (const Column& column : kColumns) {
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index++), Px(column.width));
  }
}

void ScanWindow::Refresh() {
  HWND window = hWnd();
  if (!window) return;
  const ScanSource::State state = scans_.StateOf(DriveName());
  const std::string separator = system_.DecimalSeparator();
  const std::string latestTime = state.latest ? LocalClockText(state.latest->finished) : "";
  const std::string previousTime = state.previous ? LocalClockText(state.previous->finished) : "";

  SetText(window, ScanWindowTitle(letter_));
  SetText(Control(kDriveLbl), ScanDriveText(letter_, label_, totalBytes_, freeBytes_, separator));
  SetText(Control(kStateLbl), ScanStateText(state.latest, state.previous, state.running, latestTime,
                                            previousTime, separator));

  Shown shown;
  if (state.latest) {
    shown.emplace(state.latest->finished,
                  state.previous ? std::optional(state.previous->finished) : std::nullopt);
  }
  if (!rowsBuilt_ || shown != shown_) {
    shown_ = shown;
    rowsBuilt_ = true;
    // The pointers are the source's until its next call: the rows are copies.
    ShowRows(state.latest ? BuildScanRows(*state.latest, state.previous, totalBytes_, separator,
                                          previousTime)
                          : std::vector<ScanRow>{});
  }

  // The progress and its Abbrechen are there only while a scan runs.
  HWND cancel = Control(kCancelBtn);
  if (!state.running && GetFocus() == cancel) SetFocus(Control(kFolderList));
  const int show = state.running ? SW_SHOWNA : SW_HIDE;
  for (const int id : {kProgressBar, kProgressLbl, kCancelBtn}) ShowWindow(Control(id), show);
  ShowWindow(Control(kHintLbl), !state.running && !rows_.empty() ? SW_SHOWNA : SW_HIDE);
  SendMessageW(Control(kProgressBar), PBM_SETMARQUEE, state.running ? TRUE : FALSE, 30);
  if (state.running) {
    SetText(Control(kProgressLbl),
            ScanProgressText(state.foldersSoFar, state.bytesSoFar, separator));
  }
  EnableWindow(Control(kRescanBtn), !state.running);
  if (state.running && !timerOn_) timerOn_ = SetTimer(window, kTimer1, kProgressInterval, nullptr);
  if (!state.running && timerOn_) {
    KillTimer(window, kTimer1);
    timerOn_ = false;
  }
}

void ScanWindow::ShowRows(const std::vector<ScanRow>& rows) {
  rows_ = rows;
  HWND list = Control(kFolderList);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t index = 0; index < rows_.size(); ++index) {
    const ScanRow& row = rows_[index];
    const int indent = row.depth;
    const std::wstring texts[] = {
        std::wstring(static_cast<std::size_t>(indent * kIndentSpaces), L' ') + Widen(row.name),
        Widen(row.size), Widen(row.share), Widen(row.growth)};
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(index);
    item.pszText = const_cast<wchar_t*>(texts[0].c_str());
    item.lParam = static_cast<LPARAM>(index);
    const LRESULT at = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < 4; ++column) {
      LVITEMW cell{};
      cell.iSubItem = column;
      cell.pszText = const_cast<wchar_t*>(texts[column].c_str());
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at),
                   reinterpret_cast<LPARAM>(&cell));
    }
  }
  // The first row below the drive's total chosen, so Enter opens it at once: it is where the
  // space went.
  if (!rows_.empty()) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, rows_.size() > 1 ? 1 : 0,
                 reinterpret_cast<LPARAM>(&state));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void ScanWindow::Control_Command(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kCancelBtn:
      CancelBtn_Click();
      break;
    case kRescanBtn:
      RescanBtn_Click();
      break;
    case kFreeSpaceBtn:
      FreeSpaceBtn_Click();
      break;
    case kHistoryBtn:
      HistoryBtn_Click();
      break;
    case kCloseBtn:
      Unload(kClosedByUser);
      break;
    default:
      break;
  }
}

LRESULT ScanWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimer1) Timer1_Timer();
      return 0;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (header.idFrom == static_cast<UINT_PTR>(kFolderList) && header.code == NM_DBLCLK) {
        LV_DblClick();
      }
      return 0;
    }
    case WM_DESTROY:
      // The timer goes with the window.
      timerOn_ = false;
      break;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

bool ScanWindow::PreTranslateMessage(MSG& message) {
  HWND window = hWnd();
  if (!window) return false;
  // Enter on the list opens its folder rather than pressing a button.
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
      message.hwnd == Control(kFolderList)) {
    LV_KeyPress(13);
    return true;
  }
  return Window::PreTranslateMessage(message);
}

void ScanWindow::Timer1_Timer() {
  Refresh();
}

void ScanWindow::LV_DblClick() {
  OpenSelectedFolder();
}

void ScanWindow::LV_KeyPress(int keyAscii) {
  if (keyAscii == 13) OpenSelectedFolder();
}

void ScanWindow::OpenSelectedFolder() {
  HWND list = Control(kFolderList);
  const LRESULT item = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (item < 0 || static_cast<std::size_t>(item) >= rows_.size()) return;
  const ScanRow& row = rows_[static_cast<std::size_t>(item)];
  // "(Dateien)" and "(übrige Ordner)" open the folder they lie in; the count of unreadable
  // folders has none.
  if (row.path.empty()) return;
  const ProcessStart start = OpenFolderStart(shell_.WindowsDirectory(), row.path);
  shell_.StartProcess(start.application, start.commandLine);
}

void ScanWindow::CancelBtn_Click() {
  scans_.CancelScan(DriveName());
  Refresh();
}

void ScanWindow::RescanBtn_Click() {
  scans_.StartScan(DriveName());
  Refresh();
  // The button that was pressed is greyed now; the keyboard stays in the window.
  if (GetFocus() == nullptr || !IsWindowEnabled(GetFocus())) {
    SetFocus(IsWindowVisible(Control(kCancelBtn)) ? Control(kCancelBtn) : Control(kFolderList));
  }
}

void ScanWindow::HistoryBtn_Click() {
  if (history_) history_->ShowHistory(letter_);
}

void ScanWindow::FreeSpaceBtn_Click() {
  const CleanUpStart cleanUp =
      CleanUpFor(letter_, system_.WindowsVersion(), shell_.WindowsDirectory());
  if (!cleanUp.settingsPage.empty()) {
    shell_.OpenWithShell(cleanUp.settingsPage, SW_SHOWNORMAL);
    return;
  }
  for (const ProcessStart& process : cleanUp.processes) {
    if (shell_.StartProcess(process.application, process.commandLine)) return;
  }
}

}  // namespace quenora::win32
