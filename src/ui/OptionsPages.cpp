#include "ui/OptionsPages.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "resource.h"

namespace quenora::win32 {

using namespace form1;

namespace {

constexpr wchar_t kLayerClass[] = L"QuenoraLayer";

bool IsPageControl(const ControlSpec& row) {
  return row.layer != 0;
}

int PictureResource(PagePicture picture) {
  switch (picture) {
    case PagePicture::Drives:
      return IDI_PAGE_DRIVES;
    case PagePicture::Interval:
      return IDI_PAGE_INTERVAL;
    case PagePicture::Alarm:
      return IDI_PAGE_ALARM;
    case PagePicture::Autostart:
      return IDI_PAGE_AUTOSTART;
    case PagePicture::None:
      break;
  }
  return 0;
}

// Every page where the first one is, the size of its frame; the table has them as loaded.
TwipsRect PlaceOf(const ControlSpec& row) {
  if (row.kind != ControlKind::Layer) return row.rect;
  const TwipsRect first = FindControl(kLayerIdBase + 1)->rect;
  const TwipsRect frame = FindControl(kFrame1 + 1)->rect;
  return {first.left, first.top, frame.width, frame.height};
}

void SetTrackbarPosition(HWND slider, int value) {
  SendMessageW(slider, TBM_SETPOS, TRUE, value);
}
int TrackbarPosition(HWND slider) {
  return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
}
void SetChecked(HWND box, bool checked) {
  SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool IsChecked(HWND box) {
  return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The drive list's column fills the list but for the room of a scroll bar.
int DriveColumnWidth(HWND list) {
  RECT client{};
  GetClientRect(list, &client);
  return client.right - GetSystemMetrics(SM_CXVSCROLL);
}

}  // namespace

void OptionsPages::Build(HWND window, HINSTANCE instance, int dpi, const OptionsValues& options) {
  if (Built()) return;
  window_ = window;
  instance_ = instance;
  dpi_ = dpi;
  LoadCommonControls();
  // Registering again in the same process fails harmlessly.
  WNDCLASSEXW layer{};
  layer.cbSize = sizeof layer;
  layer.lpfnWndProc = &OptionsPages::LayerProc;
  layer.hInstance = instance;
  layer.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  layer.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  layer.lpszClassName = kLayerClass;
  RegisterClassExW(&layer);

  CreateFonts();
  LoadPictures();
  CreateControls();
  PlacePages();
  Show(options);
}

HWND OptionsPages::Control(int id) const {
  const ControlSpec* row = FindControl(id);
  if (!row) return nullptr;
  if (!IsPageControl(*row)) return GetDlgItem(window_, id);
  return GetDlgItem(GetDlgItem(window_, kLayerIdBase + row->layer), id);
}

void OptionsPages::CreateFonts() {
  font_ = CreateUiFont(dpi_, false);
  boldFont_ = CreateUiFont(dpi_, true);
  logoFont_ = CreateUiFont(dpi_, true);
  logoSmallFont_ = CreateUiFont(dpi_, true, kDialogFontFace, 700);
  logoTaglineFont_ = CreateUiFont(dpi_, false, kDialogFontFace, 650);
}

void OptionsPages::LoadPictures() {
  const int pictureSize = Px(720);  // 48 pixels at 96 dpi
  for (const ControlSpec& row : Form1Controls()) {
    if (row.kind != ControlKind::Picture) continue;
    pagePictures_[static_cast<std::size_t>(row.layer - 1)].reset(
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(PictureResource(row.picture)),
                                      IMAGE_ICON, pictureSize, pictureSize, LR_DEFAULTCOLOR)));
  }
  const int emblemSize = Px(360);
  emblem_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_EMBLEM), IMAGE_ICON,
                                              emblemSize, emblemSize, LR_DEFAULTCOLOR)));
  const int small = Px(240);  // 16 pixels at 96 dpi
  imageList1_.reset(CreateImageList(small, small, ILC_COLOR32 | ILC_MASK, 1, 0));
  if (HICON drive = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_DRIVE_SMALL),
                                                  IMAGE_ICON, small, small, LR_DEFAULTCOLOR))) {
    AddIconToImageList(imageList1_.get(), drive);
    DestroyIcon(drive);
  }
  handPointer_.reset(static_cast<HCURSOR>(LoadImageW(instance_, MAKEINTRESOURCEW(IDC_HAND_POINTER),
                                                     IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
}

HWND OptionsPages::CreateControl(const ControlSpec& row) {
  HWND parent = IsPageControl(row) ? GetDlgItem(window_, kLayerIdBase + row.layer) : window_;
  const wchar_t* className = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  switch (row.kind) {
    case ControlKind::TabStrip:
      className = WC_TABCONTROLW;
      // Clipped by the pages lying on it, so it never paints over them.
      style |= WS_TABSTOP | WS_CLIPSIBLINGS | TCS_TOOLTIPS;
      break;
    case ControlKind::Layer:
      // Not clipping its children: the page's frame is a group box, which leaves its inside
      // for the page to paint.
      className = kLayerClass;
      style = WS_CHILD;
      exStyle = WS_EX_CONTROLPARENT;
      break;
    case ControlKind::Frame:
      className = L"BUTTON";
      style |= BS_GROUPBOX;
      break;
    case ControlKind::Picture:
      style |= SS_ICON | SS_REALSIZEIMAGE;
      break;
    case ControlKind::Label:
      style |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::CenteredLabel:
      style |= SS_CENTER | SS_NOPREFIX;
      break;
    case ControlKind::ListView:
      className = WC_LISTVIEWW;
      // Shared: ImageList1 belongs to the window, which replaces it on a DPI change and
      // destroys it once, after the list has gone.
      style |= WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
               LVS_SHAREIMAGELISTS;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Slider:
      className = TRACKBAR_CLASSW;
      style |= WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS;
      break;
    case ControlKind::CheckBox:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_AUTOCHECKBOX;
      break;
    case ControlKind::Button:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::Logo:
      style |= SS_OWNERDRAW | SS_NOTIFY;
      break;
  }
  // Page controls are placed within their page.
  HWND control =
      CreateWindowExW(exStyle, className, Widen(row.text).c_str(), style, Px(row.rect.left),
                      Px(row.rect.top), Px(row.rect.width), Px(row.rect.height), parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
  SendMessageW(control, WM_SETFONT,
               reinterpret_cast<WPARAM>(row.bold ? boldFont_.get() : font_.get()), FALSE);
  return control;
}

void OptionsPages::CreateControls() {
  for (const ControlSpec& row : Form1Controls()) CreateControl(row);

  HWND tabStrip = Control(kTabStrip1);
  for (int i = 0; i < kPageCount; ++i) {
    std::wstring caption = Widen(Form1Tabs()[static_cast<std::size_t>(i)].caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tabStrip, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&item));
  }
  // The pages lie on the tab strip.
  for (int page = 1; page <= kPageCount; ++page) {
    SetWindowPos(GetDlgItem(window_, kLayerIdBase + page), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  for (const ControlSpec& row : Form1Controls()) {
    if (row.kind == ControlKind::Picture) {
      SendMessageW(
          Control(row.id), STM_SETICON,
          reinterpret_cast<WPARAM>(pagePictures_[static_cast<std::size_t>(row.layer - 1)].get()),
          0);
    }
  }
  for (const SliderSpec& slider : Form1Sliders()) {
    HWND control = Control(slider.id);
    SendMessageW(control, TBM_SETRANGEMIN, FALSE, slider.minimum);
    SendMessageW(control, TBM_SETRANGEMAX, TRUE, slider.maximum);
    SendMessageW(control, TBM_SETTICFREQ, static_cast<WPARAM>(slider.tickEvery), 0);
    SendMessageW(control, TBM_SETPAGESIZE, 0, slider.pageStep);
    SendMessageW(control, TBM_SETLINESIZE, 0, slider.lineStep);
  }

  HWND list = Control(kLV);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(imageList1_.get()));
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = DriveColumnWidth(list);
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  tooltip_ = CreateControlTooltip(window_, Control(kImage1), kImage1Tooltip, Px(5000));
}

void OptionsPages::PlacePages() {
  for (int i = 1; i <= kPageCount; ++i) {
    const TwipsRect place = PlaceOf(*FindControl(kLayerIdBase + i));
    SetWindowPos(GetDlgItem(window_, kLayerIdBase + i), nullptr, Px(place.left), Px(place.top),
                 Px(place.width), Px(place.height), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowLayer(1);
}

void OptionsPages::ShowLayer(int index) {
  for (int i = 1; i <= kPageCount; ++i) {
    ShowWindow(GetDlgItem(window_, kLayerIdBase + i), i == index ? SW_SHOW : SW_HIDE);
  }
}

int OptionsPages::VisibleLayer() const {
  // Asked of the pages' own visibility: the window itself may be hidden.
  for (int i = 1; i <= kPageCount; ++i) {
    if (GetWindowLongW(GetDlgItem(window_, kLayerIdBase + i), GWL_STYLE) & WS_VISIBLE) return i;
  }
  return 0;
}

void OptionsPages::OnDpiChanged(int dpi) {
  // Fonts, pictures and controls are made at the window's DPI when the pages are built.
  if (!Built()) return;
  dpi_ = dpi;
  // The old fonts and pictures stay alive until every control has the new ones.
  UniqueFont oldFont = std::move(font_), oldBold = std::move(boldFont_);
  UniqueImageList oldImages = std::move(imageList1_);
  std::array<UniqueIcon, kPageCount> oldPictures = std::move(pagePictures_);
  CreateFonts();
  LoadPictures();
  for (const ControlSpec& row : Form1Controls()) {
    const TwipsRect rect = PlaceOf(row);
    HWND control = Control(row.id);
    SetWindowPos(control, nullptr, Px(rect.left), Px(rect.top), Px(rect.width), Px(rect.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(row.bold ? boldFont_.get() : font_.get()), TRUE);
    if (row.kind == ControlKind::Picture) {
      SendMessageW(
          control, STM_SETICON,
          reinterpret_cast<WPARAM>(pagePictures_[static_cast<std::size_t>(row.layer - 1)].get()),
          0);
    }
  }
  HWND list = Control(kLV);
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(imageList1_.get()));
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, DriveColumnWidth(list));
}

void OptionsPages::OnDestroy() {
  // The drive list shares its image lists, so the check box pictures it made for itself are
  // left to the window too: taken from it, they can't be destroyed twice.
  if (HWND list = Control(kLV)) {
    DestroyImageList(
        reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_SETIMAGELIST, LVSIL_STATE, 0)));
  }
}

LRESULT CALLBACK OptionsPages::LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A page is a plain container: what its controls report goes to the window.
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetParent(window), message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The options in the controls.

void OptionsPages::Show(const OptionsValues& options) {
  // Until the pages are built the options stay with the window, which hands them over then.
  if (!Built()) return;
  SetTrackbarPosition(Control(kTimerIntervalSlider), options.timerInterval);
  RefreshIntervalDisplay();
  SetTrackbarPosition(Control(kMemLimitSlider), options.memLimit);
  RefreshLimitDisplay();
  SetChecked(Control(kCheck1), options.alarmSound);
  SetChecked(Control(kNotifyChk), options.alarmNotify);
  ShowAutoStartChk(options.autoStart);

  HWND list = Control(kLV);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (const DriveEntry& entry : options.drives) {
    std::wstring caption = Widen(entry.text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = caption.data();
    item.iImage = 0;  // the one drive picture of ImageList1
    const auto index = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (entry.checked) SetLVChecked(static_cast<int>(index), true);
  }
}

void OptionsPages::ReadBack(OptionsValues& options) const {
  // Unbuilt pages hold nothing the user could have changed.
  if (!Built()) return;
  options.timerInterval = TrackbarPosition(Control(kTimerIntervalSlider));
  options.memLimit = TrackbarPosition(Control(kMemLimitSlider));
  options.alarmSound = IsChecked(Control(kCheck1));
  options.alarmNotify = IsChecked(Control(kNotifyChk));
  options.autoStart = IsChecked(Control(kAutoStartChk));
  HWND list = Control(kLV);
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  options.drives.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    options.drives[static_cast<std::size_t>(i)] = {Narrow(buffer), LVChecked(i)};
  }
}

void OptionsPages::ShowAutoStartChk(bool checked) {
  SetChecked(Control(kAutoStartChk), checked);
}

void OptionsPages::RefreshIntervalDisplay() {
  SetWindowTextW(
      Control(kLabel1 + 2),
      Widen(IntervalDisplayText(TrackbarPosition(Control(kTimerIntervalSlider)))).c_str());
}

void OptionsPages::RefreshLimitDisplay() {
  SetWindowTextW(Control(kLabel1 + 3),
                 Widen(LimitDisplayText(TrackbarPosition(Control(kMemLimitSlider)))).c_str());
}

void OptionsPages::ToggleSelectedDrive() {
  const int selected = static_cast<int>(
      SendMessageW(Control(kLV), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected < 0) return;  // nothing selected, nothing to toggle
  SetLVChecked(selected, !LVChecked(selected));
}

bool OptionsPages::LVChecked(int index) const {
  const auto state =
      SendMessageW(Control(kLV), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void OptionsPages::SetLVChecked(int index, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(Control(kLV), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

void OptionsPages::DrawLogo(const DRAWITEMSTRUCT& item) const {
  // The vendor's logo: its emblem and name on a light panel with a thin frame.
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const int height = rect.bottom - rect.top;
  TRIVERTEX vertices[2] = {
      {rect.left, rect.top, 0xFF00, 0xFF00, 0xFF00, 0},
      {rect.right, rect.bottom, 0xDC00, 0xE6FF, 0xF4FF, 0},
  };
  GRADIENT_RECT gradient{0, 1};
  // gdi32's own gradient: msimg32's GradientFill would have the exe import msimg32, which is no
  // known DLL and so is looked for beside the exe first.
  GdiGradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
  FrameRect(dc, &rect, GetSysColorBrush(COLOR_3DSHADOW));

  const int margin = std::max(2, height / 8);
  const int emblemSize = height - 2 * margin;
  if (emblem_) {
    DrawIconEx(dc, rect.left + margin, rect.top + margin, emblem_.get(), emblemSize, emblemSize, 0,
               nullptr, DI_NORMAL);
  }
  RECT text = rect;
  text.left += margin + emblemSize + margin / 2;
  text.right -= margin / 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0x10, 0x3A, 0x7A));
  // The name in the largest of the logo's sizes that fits beside the emblem.
  HGDIOBJ old = SelectObject(dc, logoFont_.get());
  SIZE extent{};
  GetTextExtentPoint32W(dc, L"Tarnwick", 8, &extent);
  if (extent.cx > text.right - text.left) SelectObject(dc, logoSmallFont_.get());
  RECT name = text;
  name.bottom = rect.top + height * 11 / 20;
  DrawTextW(dc, L"Tarnwick", -1, &name, DT_SINGLELINE | DT_BOTTOM | DT_LEFT | DT_NOPREFIX);
  SelectObject(dc, logoTaglineFont_.get());
  SetTextColor(dc, RGB(0x50, 0x60, 0x78));
  RECT tagline = text;
  tagline.top = name.bottom;
  DrawTextW(dc, L"Software", -1, &tagline, DT_SINGLELINE | DT_TOP | DT_LEFT | DT_NOPREFIX);
  SelectObject(dc, old);
}

}  // namespace quenora::win32
