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

// The pictures of pages 1 to 4.
constexpr int kPagePictures[kPageCount] = {IDI_PAGE_DRIVES, IDI_PAGE_INTERVAL, IDI_PAGE_ALARM,
                                           IDI_PAGE_AUTOSTART};

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

}  // namespace

void OptionsPages::Build(const OptionsValues& options) {
  if (built_) return;
  built_ = true;
  HWND window = window_.hWnd();
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
    SetWindowPos(GetDlgItem(window, kLayerIdBase + page), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (const SliderSpec& slider : Form1Sliders()) {
    HWND control = Control(slider.id);
    SendMessageW(control, TBM_SETRANGEMIN, FALSE, slider.minimum);
    SendMessageW(control, TBM_SETRANGEMAX, TRUE, slider.maximum);
    SendMessageW(control, TBM_SETTICFREQ, static_cast<WPARAM>(slider.tickEvery), 0);
    SendMessageW(control, TBM_SETPAGESIZE, 0, slider.pageStep);
    SendMessageW(control, TBM_SETLINESIZE, 0, slider.lineStep);
  }
  drives_.Build();
  LoadPictures();
  tooltip_ = CreateControlTooltip(window, Control(kImage1), kImage1Tooltip,
                                  TwipsToPixels(5000, window_.Dpi()));

  ShowLayer(1);
  Show(options);
}

void OptionsPages::LoadPictures() {
  const int dpi = window_.Dpi();
  const HINSTANCE instance = window_.Instance();
  logoFont_ = CreateUiFont(dpi, true);
  logoSmallFont_ = CreateUiFont(dpi, true, kDialogFontFace, 700);
  logoTaglineFont_ = CreateUiFont(dpi, false, kDialogFontFace, 650);
  const int pictureSize = TwipsToPixels(720, dpi);  // 48 pixels at 96 dpi
  for (std::size_t i = 0; i < pagePictures_.size(); ++i) {
    pagePictures_[i].reset(
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kPagePictures[i]), IMAGE_ICON,
                                      pictureSize, pictureSize, LR_DEFAULTCOLOR)));
  }
  const int emblemSize = TwipsToPixels(360, dpi);
  emblem_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_EMBLEM), IMAGE_ICON,
                                              emblemSize, emblemSize, LR_DEFAULTCOLOR)));
  const int small = TwipsToPixels(240, dpi);  // 16 pixels at 96 dpi
  imageList1_.reset(CreateImageList(small, small, ILC_COLOR32 | ILC_MASK, 1, 0));
  if (HICON drive = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_DRIVE_SMALL),
                                                  IMAGE_ICON, small, small, LR_DEFAULTCOLOR))) {
    AddIconToImageList(imageList1_.get(), drive);
    DestroyIcon(drive);
  }

  for (const ControlSpec& row : Form1Controls()) {
    if (row.kind != ControlKind::Icon) continue;
    SendMessageW(
        Control(row.id), STM_SETICON,
        reinterpret_cast<WPARAM>(pagePictures_[static_cast<std::size_t>(LayerOf(row) - 1)].get()),
        0);
  }
  SendMessageW(Control(kLV), LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(imageList1_.get()));
}

void OptionsPages::ShowLayer(int index) {
  for (int i = 1; i <= kPageCount; ++i) {
    ShowWindow(GetDlgItem(window_.hWnd(), kLayerIdBase + i), i == index ? SW_SHOW : SW_HIDE);
  }
}

int OptionsPages::VisibleLayer() const {
  // Asked of the pages' own visibility: the window itself may be hidden.
  for (int i = 1; i <= kPageCount; ++i) {
    if (GetWindowLongW(GetDlgItem(window_.hWnd(), kLayerIdBase + i), GWL_STYLE) & WS_VISIBLE) {
      return i;
    }
  }
  return 0;
}

void OptionsPages::OnDpiChanged() {
  // Pictures not made yet are made at the window's DPI when the pages are built.
  if (!built_) return;
  // The old pictures stay alive until every control has the new ones.
  UniqueImageList oldImages = std::move(imageList1_);
  std::array<UniqueIcon, kPageCount> oldPictures = std::move(pagePictures_);
  LoadPictures();
  drives_.FitColumns();
}

void OptionsPages::OnDestroy() {
  // The drive list shares its image lists, so the check box pictures it made for itself are
  // left to the window too: taken from it, they can't be destroyed twice.
  if (HWND list = Control(kLV)) {
    DestroyImageList(
        reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_SETIMAGELIST, LVSIL_STATE, 0)));
  }
}

// The options in the controls.

void OptionsPages::Show(const OptionsValues& options) {
  // Until the pages are built the options stay with the window, which hands them over then.
  if (!built_) return;
  SetTrackbarPosition(Control(kTimerIntervalSlider), options.timerInterval);
  RefreshIntervalDisplay();
  SetTrackbarPosition(Control(kMemLimitSlider), options.memLimit);
  RefreshLimitDisplay();
  SetChecked(Control(kCheck1), options.alarmSound);
  SetChecked(Control(kNotifyChk), options.alarmNotify);
  ShowAutoStartChk(options.autoStart);

  drives_.Show(options.drives);
}

void OptionsPages::ReadBack(OptionsValues& options) const {
  // Unbuilt pages hold nothing the user could have changed.
  if (!built_) return;
  options.timerInterval = TrackbarPosition(Control(kTimerIntervalSlider));
  options.memLimit = TrackbarPosition(Control(kMemLimitSlider));
  options.alarmSound = IsChecked(Control(kCheck1));
  options.alarmNotify = IsChecked(Control(kNotifyChk));
  options.autoStart = IsChecked(Control(kAutoStartChk));
  options.drives = drives_.Entries();
}

void OptionsPages::ShowAutoStartChk(bool checked) {
  SetChecked(Control(kAutoStartChk), checked);
}

void OptionsPages::ShowPolicies(const Policies& policies) {
  drives_.LockChecks(policies.Fixes("DriveList"));
  if (!built_) return;
  const auto lock = [&](int id, std::string_view name) {
    EnableWindow(Control(id), !policies.Fixes(name));
    return policies.Fixes(name);
  };
  const bool drives = policies.Fixes("DriveList") || policies.Fixes("DriveLimits") ||
                      policies.Fixes("DriveWarnings");
  const bool interval = lock(kTimerIntervalSlider, "TimerInterval");
  const bool limit = lock(kMemLimitSlider, "MemoryLimit");
  const bool sound = lock(kCheck1, "AlarmSoundEnabled");
  const bool notify = lock(kNotifyChk, "AlarmNotifyEnabled");
  const bool autoStart = lock(kAutoStartChk, kAutoStartPolicy);
  const bool notes[kPageCount] = {drives, interval, limit || sound || notify, autoStart};
  for (int page = 1; page <= kPageCount; ++page) {
    ShowWindow(Control(kPolicyNote + page), notes[page - 1] ? SW_SHOWNA : SW_HIDE);
  }
  ShowWindow(Control(kDriveMenuHint), drives ? SW_HIDE : SW_SHOWNA);
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

PageNote OptionsPages::OnNotify(const NMHDR& header) {
  if (header.idFrom == static_cast<UINT_PTR>(kLV)) return drives_.OnNotify(header);
  HWND tabStrip = Control(kTabStrip1);
  if (tabStrip && header.hwndFrom == tabStrip && header.code == TCN_SELCHANGE) {
    return {PageEvent::TabChanged, 0};
  }
  if (header.code == TTN_GETDISPINFOW &&
      header.hwndFrom == reinterpret_cast<HWND>(SendMessageW(tabStrip, TCM_GETTOOLTIPS, 0, 0))) {
    // The tab strip asks for the tooltip of tab idFrom; the text must outlive the answer.
    auto& info = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
    const std::size_t tab = header.idFrom;
    if (tab < tabTips_.size()) {
      tabTips_[tab] = Widen(Form1Tabs()[tab].tooltip);
      info.lpszText = tabTips_[tab].data();
    }
  }
  return {};
}

PageEvent OptionsPages::TranslateKey(const MSG& message) {
  if (const PageEvent drive = drives_.TranslateKey(message); drive != PageEvent::None) {
    return drive;
  }
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return PageEvent::None;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (GetKeyState(VK_CONTROL) >= 0) {
    MoveFocus(shift);
    return PageEvent::Taken;
  }
  // Ctrl+Tab turns the pages, as in every tabbed dialog.
  HWND tabStrip = Control(kTabStrip1);
  const int current = static_cast<int>(SendMessageW(tabStrip, TCM_GETCURSEL, 0, 0));
  const int next = (current + (shift ? kPageCount - 1 : 1)) % kPageCount;
  SendMessageW(tabStrip, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
  return PageEvent::TabChanged;
}

void OptionsPages::MoveFocus(bool backwards) {
  // The window's own tab order: the pages lie on the tab strip, so the order of the windows
  // on the screen isn't the order for the keyboard.
  const std::span<const int> order = Form1TabOrder();
  const int count = static_cast<int>(order.size());
  HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; i < count; ++i) {
    HWND control = Control(order[static_cast<std::size_t>(i)]);
    if (control && (control == focus || IsChild(control, focus))) current = i;
  }
  for (int step = 1; step <= count; ++step) {
    const int i = ((current + (backwards ? -step : step)) % count + count) % count;
    HWND control = Control(order[static_cast<std::size_t>(i)]);
    if (control && IsWindowVisible(control) && IsWindowEnabled(control)) {
      SendMessageW(window_.hWnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
      SetFocus(control);
      return;
    }
  }
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
