#include "ui/ScanWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "util/Text.h"

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
    // Beside the list, or below it in a narrow window (ControlPlace); the list is what the
    // keyboard walks, and the map follows its choice.
    {kMap,
     ControlKind::Canvas,
     "Belegung als Fl\xC3\xA4"
     "che",
     {kClientWidth, 750, kWideClientWidth - kClientWidth - 120, 5265}},
};
// The least room worth a map beside or below the list, in twips; the map's place below it.
constexpr int kMinMapWidth = 3000, kMinMapHeight = 900, kBelowMapHeight = 4200;

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

// The map's picture, a 32-bit top-down DIB filled pixel by pixel: at thousands of tiles that
// is many times faster than a GDI call for each.
struct Pixels {
  std::uint32_t* bits;
  int width, height;
  static std::uint32_t Of(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  static std::uint32_t Of(const MapColour& c) {
    return (static_cast<std::uint32_t>(c.red) << 16) | (c.green << 8) | c.blue;
  }
  // `ink` on every few diagonals or rows where `pattern` asks for a hatch.
  enum class Pattern { kSolid, kDiagonal, kRows };
  void Fill(RECT r, std::uint32_t colour, Pattern pattern = Pattern::kSolid, std::uint32_t ink = 0,
            int period = 1) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, width);
    r.bottom = std::min<LONG>(r.bottom, height);
    for (LONG y = r.top; y < r.bottom; ++y) {
      std::uint32_t* row = bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      if (pattern == Pattern::kSolid || (pattern == Pattern::kRows && y % (3 * period) >= period)) {
        std::fill(row + r.left, row + std::max(r.left, r.right), colour);
        continue;
      }
      for (LONG x = r.left; x < r.right; ++x) {
        row[x] = pattern == Pattern::kRows || (x + y) % (4 * period) < period ? ink : colour;
      }
    }
  }
};

void Outline(HDC dc, RECT rect, COLORREF colour, int width) {
  for (int i = 0; i < width && rect.right - rect.left > 2 && rect.bottom - rect.top > 2; ++i) {
    SetDCBrushColor(dc, colour);
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    InflateRect(&rect, -1, -1);
  }
}

void DrawName(HDC dc, const std::string& name, const RECT& rect) {
  const std::wstring wide = Widen(name);
  ExtTextOutW(dc, rect.left, rect.top, ETO_CLIPPED, &rect, wide.c_str(),
              static_cast<UINT>(wide.size()), nullptr);
}

}  // namespace

std::span<const ControlSpec> ScanWindowControls() {
  return kControls;
}

ScanWindow::ScanWindow(HINSTANCE instance, HWND owner, ScanSource& scans, Shell& shell,
                       SystemServices& system, HistoryOpener* history)
    : Window(instance, owner, {kDialogClass, kWideClientWidth, kClientHeight, kControls, true}),
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
    PlaceWindow();
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

void ScanWindow::PlaceWindow() {
  HWND window = hWnd();
  if (place_) {
    SetWindowPos(window, nullptr, place_->left, place_->top, place_->right - place_->left,
                 place_->bottom - place_->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  // Opened first: the map beside the list where the screen is wide enough, else below it.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame{0, 0, Px(kWideClientWidth), Px(kClientHeight)};
  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  if (frame.right - frame.left <= work.right - work.left) return;
  RECT narrow{0, 0, Px(kClientWidth), Px(kClientHeight + kBelowMapHeight)};
  AdjustWindowRectEx(&narrow, style, FALSE, exStyle);
  const int width = narrow.right - narrow.left;
  const int height = std::min<int>(narrow.bottom - narrow.top, work.bottom - work.top);
  SetWindowPos(window, nullptr, work.left + std::max<int>(0, (work.right - work.left - width) / 2),
               work.top + (work.bottom - work.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ScanWindow::Form_Load() {
  TakeOwnersIcons();
  HWND map = Control(kMap);
  // The keyboard works through the list; the map only shows its choice.
  SetWindowLongW(map, GWL_STYLE, GetWindowLongW(map, GWL_STYLE) & ~WS_TABSTOP);
  Subclass(map, &ScanWindow::MapProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // The tip follows the tile under the mouse, placed by the window: one text for the whole map
  // would never change while the mouse stays on it.
  tip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd(),
                             nullptr, nullptr, nullptr));
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = hWnd();
  tool.uId = reinterpret_cast<UINT_PTR>(map);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, Px(6000));
  hotTile_ = clickedTile_ = -1;
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
    // The pointers are the source's until its next call: the rows and the map's scan are copies.
    mapScan_ = state.latest ? *state.latest : DriveScan{};
    growth_ = state.latest && state.previous ? GrowthSince(*state.previous, *state.latest)
                                             : std::vector<FolderGrowth>{};
    mostGrowth_ = 0;
    for (const FolderGrowth& g : growth_) {
      if (g.compared) mostGrowth_ = std::max(mostGrowth_, g.bytes);
    }
    separator_ = separator;
    previousTime_ = previousTime;
    hotTile_ = clickedTile_ = -1;
    InvalidateRect(Control(kMap), nullptr, FALSE);
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
      // The map outlines the chosen row's tile.
      if (header.idFrom == static_cast<UINT_PTR>(kFolderList) && header.code == LVN_ITEMCHANGED) {
        InvalidateRect(Control(kMap), nullptr, FALSE);
      }
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // The list and the buttons keep their places: the window is never smaller than they need.
      RECT frame{0, 0, Px(kClientWidth), Px(kClientHeight)};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_EXSTYLE)));
      auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
      info.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_DESTROY: {
      // The timer goes with the window; its place is kept for the next time it opens.
      timerOn_ = false;
      RECT frame{};
      if (!IsIconic(hWnd()) && !IsZoomed(hWnd()) && GetWindowRect(hWnd(), &frame)) place_ = frame;
      // What the map holds goes with it: a full tree and its picture weigh megabytes.
      tip_.reset();
      tiles_ = {};
      mapScan_ = {};
      growth_ = {};
      picture_.reset();
      pictureBits_ = nullptr;
      break;
    }
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

TwipsRect ScanWindow::ControlPlace(const ControlSpec& row) const {
  if (row.id != kMap) return row.rect;
  RECT client{};
  GetClientRect(hWnd(), &client);
  const int width = MulDiv(client.right, 1440, Dpi()), height = MulDiv(client.bottom, 1440, Dpi());
  // Beside the list down to the buttons' foot, where the window is wide enough; else below the
  // buttons, where a taller window makes room.
  if (width >= kClientWidth + kMinMapWidth) {
    return {kClientWidth, row.rect.top, width - kClientWidth - 120, height - row.rect.top - 165};
  }
  const int below = height - kClientHeight - 165;
  if (below < kMinMapHeight) return {120, kClientHeight, 0, 0};
  return {120, kClientHeight, width - 240, below};
}

int ScanWindow::SelectedRow() const {
  const LRESULT item =
      SendMessageW(Control(kFolderList), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  return item >= 0 && static_cast<std::size_t>(item) < rows_.size() ? static_cast<int>(item) : -1;
}

int ScanWindow::OutlinedTile() const {
  const int row = SelectedRow();
  return row < 0 ? -1 : TileOfRow(tiles_, mapScan_, rows_[static_cast<std::size_t>(row)]);
}

void ScanWindow::PaintMap(HDC target, const RECT& client) {
  const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
  if (!picture_ || pictureSize_.cx != width || pictureSize_.cy != height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    picture_.reset(CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pictureBits_ = picture_ ? bits : nullptr;
    pictureSize_ = {width, height};
  }
  UniqueMemoryDc dc(CreateCompatibleDC(target));
  if (!pictureBits_ || !dc) return;
  GdiFlush();
  Pixels pixels{static_cast<std::uint32_t*>(pictureBits_), width, height};
  HGDIOBJ oldPicture = SelectObject(dc.get(), picture_.get());
  HGDIOBJ oldFont = SelectObject(
      dc.get(), reinterpret_cast<HFONT>(SendMessageW(Control(kFolderList), WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  const int line = std::max(1, Dpi() / 96);
  const bool contrast = system_.HighContrastText().has_value();
  const bool compared = !growth_.empty();
  pixels.Fill({0, 0, width, height}, Pixels::Of(GetSysColor(COLOR_WINDOW)));

  // The legend's line below the map, when there are two scans to compare.
  RECT area{line, line, width - line, height - line};
  const int legendHeight = compared ? metrics.tmHeight + 4 * line : 0;
  area.bottom -= legendHeight;
  tiles_ = area.bottom - area.top > 0 && area.right - area.left > 0
               ? LayOutScanMap(mapScan_, {area.left, area.top, area.right, area.bottom}, 2 * line,
                               metrics.tmHeight + 2 * line)
               : std::vector<MapTile>{};

  const auto colourOf = [&](ScanRow::Kind kind, int folder) {
    const auto at = static_cast<std::size_t>(folder);
    return TileColour(kind, mapScan_.folders[at].depth, compared ? &growth_[at] : nullptr,
                      mostGrowth_);
  };
  const std::uint32_t textColour = Pixels::Of(GetSysColor(COLOR_WINDOWTEXT)),
                      faceColour = Pixels::Of(GetSysColor(COLOR_BTNFACE)),
                      windowColour = Pixels::Of(GetSysColor(COLOR_WINDOW)),
                      ink = Pixels::Of(GetSysColor(COLOR_HIGHLIGHT));
  // A tile's edge and inside; of a tile with tiles inside, only the band around them, which
  // is all of it they leave to be seen.
  const auto paintTile = [&](RECT r, const MapColour& colour, const MapRect& inner) {
    using Meaning = MapColour::Meaning;
    const int edge = contrast ? line : 1;
    // The edge a darker shade of the tile, so that neighbours part without a hard line; in high
    // contrast the theme's colours, and a change a hatch as well.
    const std::uint32_t edgeColour =
        contrast ? textColour
                 : Pixels::Of(RGB(colour.red * 3 / 5, colour.green * 3 / 5, colour.blue * 3 / 5));
    const std::uint32_t paper =
        !contrast ? Pixels::Of(colour)
                  : (colour.meaning == Meaning::kRest ? faceColour : windowColour);
    const Pixels::Pattern pattern = !contrast                          ? Pixels::Pattern::kSolid
                                    : colour.meaning == Meaning::kGrew ? Pixels::Pattern::kDiagonal
                                    : colour.meaning == Meaning::kShrank ? Pixels::Pattern::kRows
                                                                         : Pixels::Pattern::kSolid;
    const auto band = [&](const RECT& outer, const RECT& hole, std::uint32_t c, Pixels::Pattern p) {
      pixels.Fill({outer.left, outer.top, outer.right, hole.top}, c, p, ink, line);
      pixels.Fill({outer.left, hole.bottom, outer.right, outer.bottom}, c, p, ink, line);
      pixels.Fill({outer.left, hole.top, hole.left, hole.bottom}, c, p, ink, line);
      pixels.Fill({hole.right, hole.top, outer.right, hole.bottom}, c, p, ink, line);
    };
    RECT in = r;
    InflateRect(&in, -edge, -edge);
    band(r, in, edgeColour, Pixels::Pattern::kSolid);
    if (inner.right > inner.left && inner.bottom > inner.top) {
      band(in, {inner.left, inner.top, inner.right, inner.bottom}, paper, pattern);
    } else {
      pixels.Fill(in, paper, pattern, ink, line);
    }
  };

  for (const MapTile& tile : tiles_) {
    paintTile({tile.rect.left, tile.rect.top, tile.rect.right, tile.rect.bottom},
              colourOf(tile.kind, tile.folder), tile.inner);
  }
  const int legendY = area.bottom + 2 * line, box = metrics.tmHeight - 2 * line;
  std::vector<std::pair<int, std::wstring>> words;
  if (compared) {
    // The legend: the time compared with, then a tile of each colour before its word.
    const FolderGrowth grew{true, false, 1}, shrank{true, false, -1}, same{true, false, 0};
    const struct {
      const char* word;
      const FolderGrowth& growth;
    } keys[] = {{"w\xC3\xA4"
                 "chst",
                 grew},
                {"schrumpft", shrank},
                {"unver\xC3\xA4ndert", same}};
    int x = area.left + line;
    const auto word = [&](const std::string& text) {
      words.emplace_back(x, Widen(text));
      SIZE size{};
      GetTextExtentPoint32W(dc.get(), words.back().second.c_str(),
                            static_cast<int>(words.back().second.size()), &size);
      x += size.cx + metrics.tmAveCharWidth * 2;
    };
    word(Cat({"Seit ", previousTime_, ":"}));
    for (const auto& key : keys) {
      paintTile({x, legendY + line, x + box, legendY + line + box},
                TileColour(ScanRow::Kind::Folder, 1, &key.growth, 2), {});
      x += box + metrics.tmAveCharWidth;
      word(key.word);
    }
  }

  // The names where they fit: in the line kept for one above what a folder holds, or in a tile
  // with nothing inside.
  const int border = 2 * line;
  SetBkColor(dc.get(), GetSysColor(COLOR_WINDOW));
  for (const MapTile& tile : tiles_) {
    const MapRect& r = tile.rect;
    RECT text{r.left + border + line, r.top + line, r.right - border - line, 0};
    if (tile.inner.bottom > tile.inner.top) {
      text.bottom = tile.inner.top;
      if (text.bottom - text.top < metrics.tmHeight) continue;
    } else {
      text.bottom = text.top + metrics.tmHeight + 2 * line;
      if (text.bottom > r.bottom - line) continue;
    }
    // Only a name the tile holds whole, judged by its length: measuring thousands of names
    // would cost more than drawing the map.
    const std::string name = TileName(mapScan_, tile);
    if (static_cast<LONG>(name.size()) * metrics.tmAveCharWidth * 5 / 4 > text.right - text.left) {
      continue;
    }
    const MapColour colour = colourOf(tile.kind, tile.folder);
    SetBkMode(dc.get(), contrast ? OPAQUE : TRANSPARENT);
    SetTextColor(dc.get(), contrast          ? GetSysColor(COLOR_WINDOWTEXT)
                           : colour.darkText ? RGB(0, 0, 0)
                                             : RGB(255, 255, 255));
    DrawName(dc.get(), name, text);
  }

  // The chosen row's tile, outlined in the selection's colour with a contrasting edge.
  if (const int outlined = OutlinedTile(); outlined >= 0) {
    const MapRect& m = tiles_[static_cast<std::size_t>(outlined)].rect;
    RECT r{m.left, m.top, m.right, m.bottom};
    Outline(dc.get(), r, GetSysColor(COLOR_WINDOWTEXT), line);
    InflateRect(&r, -line, -line);
    Outline(dc.get(), r, GetSysColor(COLOR_HIGHLIGHT), 2 * line);
  }

  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
  for (const auto& [x, word] : words) {
    TextOutW(dc.get(), x, legendY, word.c_str(), static_cast<int>(word.size()));
  }
  BitBlt(target, 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
  SelectObject(dc.get(), oldFont);
  SelectObject(dc.get(), oldPicture);
}

LRESULT CALLBACK ScanWindow::MapProc(HWND map, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
  if (message == WM_NCDESTROY) Unsubclass(map, &ScanWindow::MapProc, 1);
  return Guarded(
      [&] { return reinterpret_cast<ScanWindow*>(self)->MapMessage(map, message, wParam, lParam); },
      [&] { return DefaultSubclassed(map, message, wParam, lParam); });
}

LRESULT ScanWindow::MapMessage(HWND map, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      // Drawn off screen and copied at once: no flicker while the window is sized.
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(map, &paint);
      RECT client{};
      GetClientRect(map, &client);
      PaintMap(dc, client);
      EndPaint(map, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(map, &client);
      PaintMap(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_SIZE:
      InvalidateRect(map, nullptr, FALSE);
      break;
    case WM_LBUTTONDOWN:
      Map_Click(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_MOUSEMOVE:
      Map_MouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      break;
    case WM_MOUSELEAVE:
      Map_MouseMove(-1, -1);
      break;
    default:
      break;
  }
  return DefaultSubclassed(map, message, wParam, lParam);
}

void ScanWindow::Map_MouseMove(int x, int y) {
  if (!tip_) return;
  const int tile = x < 0 ? -1 : TileAt(tiles_, x, y);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hWnd();
  tool.uId = reinterpret_cast<UINT_PTR>(Control(kMap));
  if (tile < 0) {
    hotTile_ = -1;
    SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  if (tile != hotTile_) {
    hotTile_ = tile;
    const MapTile& t = tiles_[static_cast<std::size_t>(tile)];
    const FolderGrowth* growth =
        growth_.empty() ? nullptr : &growth_[static_cast<std::size_t>(t.folder)];
    std::wstring text = Widen(TileTip(mapScan_, t, growth, totalBytes_, separator_, previousTime_));
    tool.lpszText = text.data();
    SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // The map tells when the mouse leaves it, so the tip goes with it.
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, Control(kMap), 0};
    TrackMouseEvent(&leave);
  }
  // Below and right of the pointer, where it covers least of the tile.
  POINT at{x + Px(240), y + Px(300)};
  ClientToScreen(Control(kMap), &at);
  SendMessageW(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void ScanWindow::Map_Click(int x, int y) {
  const int tile = TileAt(tiles_, x, y);
  if (tile < 0) return;
  const MapTile& t = tiles_[static_cast<std::size_t>(tile)];
  // A second click on the same tile within the system's double-click time opens it, as a
  // double-click on the list does.
  const LONG now = GetMessageTime();
  const bool twice =
      tile == clickedTile_ && static_cast<UINT>(now - clickedAt_) <= GetDoubleClickTime();
  clickedTile_ = twice ? -1 : tile;
  clickedAt_ = now;
  if (twice) {
    const std::string& path = mapScan_.folders[static_cast<std::size_t>(t.folder)].path;
    const ProcessStart start = OpenFolderStart(shell_.WindowsDirectory(), path);
    shell_.StartProcess(start.application, start.commandLine);
    return;
  }
  const int row = RowOfTile(rows_, mapScan_, t);
  if (row < 0) return;
  HWND list = Control(kFolderList);
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  InvalidateRect(Control(kMap), nullptr, FALSE);
}

}  // namespace quenora::win32
