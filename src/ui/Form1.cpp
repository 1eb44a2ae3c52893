#include "ui/Form1.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowGeometry.h"
#include "resource.h"
#include "ui/ApplyOptions.h"
#include "ui/DriveListBox.h"
#include "ui/StartInfoDialog.h"
#include "ui/TrayIcons.h"
#include "util/MessageTemplate.h"
#include "util/Numbers.h"
#include "util/ProgramIdentity.h"

namespace quenora::win32 {

using namespace form1;

namespace {

constexpr wchar_t kWindowClass[] = L"QuenoraForm1";
constexpr wchar_t kLayerClass[] = L"QuenoraLayer";
constexpr wchar_t kOwnerClass[] = L"QuenoraOwner";
constexpr std::string_view kOSFat32SupportKey = "OSFat32Support";
constexpr std::string_view kAlreadyRunningTemplate =
    "%1 wird bereits ausgef\xC3\xBChrt. Klicken Sie auf das %1-Icon\\nin der Task-Leiste, um zu "
    "den die Optionen zu gelangen.";

// The shell's tray record names the callback message as a number: WM_USER.
static_assert(kTrayCallbackMessage == WM_USER);

// Sent to every top-level window when the shell's taskbar is created anew (Explorer restarted).
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

bool IsPageControl(const ControlSpec& row) {
  return row.layer != 0;
}

// Where a slider would put `value`: within its range.
int SliderPosition(int id, int value) {
  for (const SliderSpec& slider : Form1Sliders()) {
    if (slider.id == id) return std::clamp(value, slider.minimum, slider.maximum);
  }
  return value;
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

void RegisterClasses(HINSTANCE instance, WNDPROC formProc, WNDPROC layerProc) {
  // Registering again in the same process fails harmlessly.
  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = formProc;
  form.hInstance = instance;
  form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kWindowClass;
  RegisterClassExW(&form);

  WNDCLASSEXW layer = form;
  layer.lpfnWndProc = layerProc;
  layer.hIcon = layer.hIconSm = nullptr;
  layer.lpszClassName = kLayerClass;
  RegisterClassExW(&layer);

  WNDCLASSEXW owner = layer;
  owner.lpfnWndProc = DefWindowProcW;
  owner.lpszClassName = kOwnerClass;
  RegisterClassExW(&owner);
}

}  // namespace

Form1::Form1(Form1Services services)
    : services_(services),
      store_(services.registry),
      freeSpace_(services.disks, services.system),
      tray_(services.notifyArea, services.system),
      cycle_(drives_, freeSpace_, services.disks, services.system),
      view_(cycle_, tray_, services.system, icoImage_),
      settings_(store_, *this, view_),
      routing_(tray_, *this, services.shell, *this),
      autostart_(services.registryCalls, services.files, services.system),
      help_(services.shell, services.files, services.system) {}

Form1::~Form1() {
  // Destroying the window unloads it: the icons leave the tray with it.
  window_.reset();
}

HWND Form1::Control(int id) {
  if (!pagesBuilt_ && window_) BuildPages();
  return BuiltControl(id);
}

HWND Form1::BuiltControl(int id) const {
  const ControlSpec* row = FindControl(id);
  if (row && !IsPageControl(*row)) {
    return GetDlgItem(window_.get(), id);
  }
  if (!row) return nullptr;
  return GetDlgItem(GetDlgItem(window_.get(), kLayerIdBase + row->layer), id);
}

bool Form1::Load(HINSTANCE instance) {
  instance_ = instance;
  RegisterClasses(instance, &Form1::WindowProc, &Form1::LayerProc);

  owner_.reset(CreateWindowExW(0, kOwnerClass, L"Quenora", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               instance, nullptr));
  // A fixed dialog frame without minimize and maximize boxes, never in the taskbar (it is
  // owned by a hidden window); sized once the DPI is known.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  // window_ takes the handle at WM_NCCREATE, so the first messages already find it.
  if (!CreateWindowExW(exStyle, kWindowClass, L"", style, 0, 0, 100, 100, owner_.get(), nullptr,
                       instance, this)) {
    return false;
  }
  HWND window = window_.get();
  dpi_ = WindowDpi(window);
  SizeWindowToClient(std::nullopt);
  KeepMoveAndCloseOnly(window);

  // The pages, with their fonts and pictures, are built when the window is first shown: a
  // start into the tray, as it happens every day, adds its icons without them. Until then
  // the values the controls would hold are kept here, the sliders at the start of their range.
  for (const SliderSpec& slider : Form1Sliders()) {
    if (slider.id == kTimerIntervalSlider) unbuilt_.interval = slider.minimum;
    if (slider.id == kMemLimitSlider) unbuilt_.limit = slider.minimum;
  }
  CreateTrayMenu();
  // Timer1 runs from the window's creation with its designed interval; the settings set the
  // real one before the first tick can come.
  SetTimer1Enabled(true);
  return Form_Load();
}

IconHandle Form1::MakeTrayPicture(int index) {
  UniqueIcon& icon = icoImageOwners_[static_cast<std::size_t>(index)];
  icon = CreateTrayIcon(index);
  return reinterpret_cast<IconHandle>(icon.get());
}

void Form1::SizeWindowToClient(std::optional<POINT> place) {
  HWND window = window_.get();
  const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  RECT frame{0, 0, Px(kForm1ClientWidth), Px(kForm1ClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  // Any coordinate is a place: a monitor left of or above the primary one has negative ones.
  const UINT keepPlace = place ? 0 : SWP_NOMOVE;
  const POINT at = place.value_or(POINT{0, 0});
  SetWindowPos(window, nullptr, at.x, at.y, frame.right - frame.left, frame.bottom - frame.top,
               keepPlace | SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame at the window's DPI may differ from the estimate; the client area is what counts.
  FitClientArea(window, Px(kForm1ClientWidth), Px(kForm1ClientHeight));
}

void Form1::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  if (!pagesBuilt_) {
    // Fonts, pictures and controls are made at this DPI when the pages are built.
    SizeWindowToClient(POINT{suggested.left, suggested.top});
    return;
  }
  // The old fonts and pictures stay alive until every control has the new ones.
  UniqueFont oldFont = std::move(font_), oldBold = std::move(boldFont_);
  UniqueImageList oldImages = std::move(imageList1_);
  std::array<UniqueIcon, 4> oldPictures = std::move(pagePictures_);
  CreateFonts();
  LoadPictures();
  const ControlSpec* first = FindControl(kLayerIdBase + 1);
  const ControlSpec* frame = FindControl(kFrame1 + 1);
  for (const ControlSpec& row : Form1Controls()) {
    TwipsRect rect = row.rect;
    // After ShapeForm every page lies where the first one does.
    if (row.kind == ControlKind::Layer && shaped_) {
      rect = {first->rect.left, first->rect.top, frame->rect.width, frame->rect.height};
    }
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
  RECT listClient{};
  GetClientRect(list, &listClient);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, listClient.right - GetSystemMetrics(SM_CXVSCROLL));
  SizeWindowToClient(POINT{suggested.left, suggested.top});
  InvalidateRect(window_.get(), nullptr, TRUE);
}

void Form1::CreateFonts() {
  font_ = CreateUiFont(dpi_, false);
  boldFont_ = CreateUiFont(dpi_, true);
  logoFont_ = CreateUiFont(dpi_, true);
  logoSmallFont_ = CreateUiFont(dpi_, true, kDialogFontFace, 700);
  logoTaglineFont_ = CreateUiFont(dpi_, false, kDialogFontFace, 650);
}

void Form1::LoadPictures() {
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

void Form1::BuildPages() {
  // Set first: from here on the values go to the controls.
  pagesBuilt_ = true;
  LoadCommonControls();
  // The program's icon, for the caption, the task switcher and the dialogs this window owns.
  // Loaded here, not at the start: its pictures are PNG, and decoding them would load the
  // system's image codecs into a program that sits in the tray.
  HWND window = window_.get();
  SetClassLongPtrW(window, GCLP_HICON,
                   reinterpret_cast<LONG_PTR>(LoadIconW(instance_, MAKEINTRESOURCEW(IDI_APP))));
  SetClassLongPtrW(window, GCLP_HICONSM,
                   reinterpret_cast<LONG_PTR>(LoadImageW(
                       instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
  CreateFonts();
  LoadPictures();
  CreateControls();
  if (shaped_) PlacePages();

  const UnbuiltControls held = std::move(unbuilt_);
  unbuilt_ = {};
  SetTimerIntervalSliderValue(held.interval);
  SetMemLimitSliderValue(held.limit);
  RefreshIntervalDisplay();
  RefreshLimitDisplay();
  SetCheck1Value(held.check1);
  autoStartChk_.SetValue(held.autoStart);
  for (const UnbuiltControls::Entry& entry : held.lv) {
    AddLVEntry(entry.text);
    if (entry.checked) SetLVChecked(LVCount() - 1, true);
  }
}

HWND Form1::CreateControl(const ControlSpec& row) {
  HWND parent =
      IsPageControl(row) ? GetDlgItem(window_.get(), kLayerIdBase + row.layer) : window_.get();
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

void Form1::CreateControls() {
  HWND window = window_.get();
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
    SetWindowPos(GetDlgItem(window, kLayerIdBase + page), HWND_TOP, 0, 0, 0, 0,
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
  RECT listClient{};
  GetClientRect(list, &listClient);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = listClient.right - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  tooltip_ = CreateControlTooltip(window, Control(kImage1), kImage1Tooltip, Px(5000));
}

void Form1::CreateTrayMenu() {
  // The tray icons' pop-up menu.
  pum_.reset(CreatePopupMenu());
  for (std::size_t i = 0; i < PumItems().size(); ++i) {
    const std::wstring caption = Widen(PumItems()[i]);
    if (caption == L"-") {
      AppendMenuW(pum_.get(), MF_SEPARATOR, i + 1, nullptr);
    } else {
      AppendMenuW(pum_.get(), MF_STRING, i + 1, caption.c_str());
    }
  }
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* form = static_cast<Form1*>(create->lpCreateParams);
    form->window_.reset(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window_.release();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // Nothing may unwind through the system's code: whatever a handler throws ends here.
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK Form1::LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.get();
  // A registered message can't be a case of the switch; 0 would be a failed registration.
  if (const UINT taskbarCreated = TaskbarCreatedMessage();
      taskbarCreated != 0 && message == taskbarCreated) {
    routing_.TaskbarCreated(drives_.DriveCount);
  }
  switch (message) {
    case kTrayCallbackMessage:
      // A mouse action on a tray icon: wParam the icon, lParam the mouse message.
      if (routing_.TrayWindowProc(wParam, static_cast<std::uintptr_t>(lParam))) return 0;
      break;
    case WM_TIMER:
      if (wParam == kTimer1Id) Timer1_Timer();
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == BN_CLICKED && id >= kBtn && id <= kBtn + 4) Btn_Click(id - kBtn);
      if (HIWORD(wParam) == BN_CLICKED && id == kAutoStartChk) AutoStartChk_Click();
      if (HIWORD(wParam) == STN_CLICKED && id == kImage1) Image1_Click();
      return 0;
    }
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_HSCROLL: {
      // The labels follow the sliders at once; the values take effect at the next apply.
      const HWND slider = reinterpret_cast<HWND>(lParam);
      if (slider == BuiltControl(kTimerIntervalSlider)) RefreshIntervalDisplay();
      if (slider == BuiltControl(kMemLimitSlider)) RefreshLimitDisplay();
      return 0;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID == static_cast<UINT>(kImage1)) DrawLogo(item);
      return TRUE;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == BuiltControl(kImage1) && handPointer_) {
        SetCursor(handPointer_.get());
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // The control that had the keyboard gets it back when the window is active again.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) lastFocus_ = focus;
      } else {
        HWND focus = lastFocus_ && IsChild(window, lastFocus_) && IsWindowVisible(lastFocus_)
                         ? lastFocus_
                         : BuiltControl(kTabStrip1);
        if (focus) SetFocus(focus);
      }
      return 0;
    case WM_SYSCOMMAND:
      // The close box, the system menu's close and Alt+F4 only hide the window.
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        if (Form_QueryUnload(UnloadMode::CloseBox)) return 0;
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_CLOSE:
      // From another program (a task manager, an uninstaller): the window unloads.
      if (!Form_QueryUnload(UnloadMode::FromOutside)) DestroyWindow(window);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SHOWWINDOW:
      if (wParam && !pagesBuilt_) BuildPages();
      // A box over the shown window belongs to it: it stays in front of it and takes its
      // input, so that repeated clicks can't stack boxes. Over the tray it stands alone.
      services_.system.owner = wParam ? window : nullptr;
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows is going down or the user logs off: the process may end without another
      // message, so the window unloads now.
      if (wParam && !Form_QueryUnload(UnloadMode::SessionEnd)) {
        Form_Unload();
        // An installer or updater asked the program to close, and the session goes on: no one
        // ends the process, so it ends itself, its one-instance lock with it.
        if (lParam & ENDSESSION_CLOSEAPP) DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      Form_Unload();
      // The drive list shares its image lists, so the check box pictures it made for itself
      // are left to the window too: taken from it, they can't be destroyed twice.
      if (HWND list = BuiltControl(kLV)) {
        DestroyImageList(
            reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_SETIMAGELIST, LVSIL_STATE, 0)));
      }
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Form1::OnNotify(const NMHDR& header) {
  if (header.idFrom == static_cast<UINT_PTR>(kLV) && header.code == NM_DBLCLK) {
    // A double-click on the check box itself has toggled it already, as a click does.
    const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
    LVHITTESTINFO hit{};
    hit.pt = activate.ptAction;
    SendMessageW(header.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!(hit.flags & LVHT_ONITEMSTATEICON)) LV_DblClick();
    return 0;
  }
  HWND tabStrip = BuiltControl(kTabStrip1);
  if (tabStrip && header.hwndFrom == tabStrip && header.code == TCN_SELCHANGE) {
    TabStrip1_Click();
    return 0;
  }
  if (header.code == TTN_GETDISPINFOW &&
      header.hwndFrom == reinterpret_cast<HWND>(SendMessageW(tabStrip, TCM_GETTOOLTIPS, 0, 0))) {
    // The tab strip asks for the tooltip of tab idFrom.
    auto& info = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
    static std::array<std::wstring, kPageCount> tips;
    const std::size_t tab = header.idFrom;
    if (tab < tips.size()) {
      tips[tab] = Widen(Form1Tabs()[tab].tooltip);
      info.lpszText = tips[tab].data();
    }
    return 0;
  }
  return 0;
}

bool Form1::Form_Load() {
  HWND window = window_.get();
  // 1. One instance per user: a second start says so and ends before it touches anything.
  if (services_.system.AnotherInstanceRuns()) {
    services_.system.ShowMessage(ExpandTemplate(kAlreadyRunningTemplate, {kProductName}),
                                 kProductName);
    services_.system.EndProcessNow();
    return false;
  }
  // 2. and 3.
  SetWindowTextW(window, L"Quenora");
  routing_.HookTrayMessages(reinterpret_cast<WindowHandle>(window));

  // 4. Which free-space call the system offers; recorded, never read back.
  freeSpace_.OSFat32Support = freeSpace_.GetDiskFreeSpaceExSupported() ? -1 : 0;
  store_.SaveValue(kOSFat32SupportKey, freeSpace_.OSFat32Support != 0);

  // 5. The check box shows the autostart entry as it is.
  autostart_.SyncAutostartCheckbox(autoStartChk_);

  // 6. to 8.
  settings_.ReadSettings();
  ShapeForm();
  // The first cycle runs in the alarm phase, with every remembered count at 0.
  view_.UpdateIcons();

  // 9. After the options were applied once the program starts in the tray; the first time
  // the user chooses the drives.
  const bool doneBefore = ParseNumber(store_.LoadValue(kDoneBeforeKey, 0)).value_or(0) != 0;
  if (doneBefore) {
    ShowWindow(window, SW_HIDE);
    // Says where the program went, unless the user turned that off for this version; the
    // start waits until the hint is closed.
    ShowStartInfo(instance_, window, store_, kTrayStartHint, "");
  } else {
    ShowOptions();
  }
  return true;
}

bool Form1::Form_QueryUnload(UnloadMode mode) {
  if (mode != UnloadMode::CloseBox) return false;
  ShowWindow(window_.get(), SW_HIDE);
  return true;
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  services_.system.owner = nullptr;
  SetTimer1Enabled(false);
  tray_.RemoveAllTrayIcons(drives_.DriveCount);
  cycle_.RemoveAllDrives();
  routing_.UnhookTrayMessages();
  WindowGeometry geometry(window_.get());
  store_.SaveFormPosition(geometry);
}

void Form1::EndApp() {
  // Quitting applies the window's state as "&OK" would, unconfirmed changes included.
  DoOptionsUebernehmen();
  routing_.UnhookTrayMessages();
  tray_.RemoveAllTrayIcons(drives_.DriveCount);
  cycle_.RemoveAllDrives();
  if (!Form_QueryUnload(UnloadMode::FromCode)) DestroyWindow(window_.get());
}

void Form1::AutoStartChk_Click() {
  // At once, whatever "&OK" or "&Abbrechen" follows.
  autostart_.ApplyAutostartCheckbox(autoStartChk_);
}

int Form1::AutoStartChkControl::Value() {
  if (!form_.pagesBuilt_) return form_.unbuilt_.autoStart;
  return SendMessageW(form_.Control(kAutoStartChk), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Form1::AutoStartChkControl::SetValue(int value) {
  if (!form_.pagesBuilt_) {
    form_.unbuilt_.autoStart = value ? 1 : 0;
    return;
  }
  SendMessageW(form_.Control(kAutoStartChk), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form1::LV_DblClick() {
  ToggleSelectedDrive();
}

void Form1::LV_KeyPress(int keyAscii) {
  // Enter toggles the selected drive and presses no button; other keys are the list's own.
  if (keyAscii == 13) ToggleSelectedDrive();
}

void Form1::ToggleSelectedDrive() {
  const int selected = static_cast<int>(
      SendMessageW(Control(kLV), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected < 0) return;  // nothing selected, nothing to toggle
  SetLVChecked(selected, !LVChecked(selected));
}

void Form1::Image1_Click() {
  help_.OpenVendorSite();
}

void Form1::ShowOptions() {
  HWND window = window_.get();
  if (!pagesBuilt_) BuildPages();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

std::optional<std::string> Form1::DriveOfIcon(std::int32_t iconId) const {
  return DriveNameAtPosition(drives_, iconId);
}

void Form1::PopUpTrayMenu() {
  HWND window = window_.get();
  SetMenuDefaultItem(pum_.get(), kPumDefaultItem, FALSE);
  POINT mouse{};
  GetCursorPos(&mouse);
  // Without the window in front the menu wouldn't close when the user clicks elsewhere; the
  // empty message after it lets the menu's own closing finish.
  SetForegroundWindow(window);
  const int chosen = static_cast<int>(TrackPopupMenu(pum_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                     mouse.x, mouse.y, 0, window, nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  if (chosen > 0) pumxxx_Click(chosen);
}

void Form1::pumxxx_Click(int index) {
  switch (index) {
    case 1:  // Laufwerk &öffnen: the drive of the icon whose menu this is
      routing_.OpenClickedDrive();
      break;
    case 3:  // &Optionen
      ShowOptions();
      break;
    case 4:  // &Hilfe
      help_.ShowHelp();
      break;
    case 6:  // &Beenden
      EndApp();
      break;
    default:  // &Abbrechen and the separators
      break;
  }
}

void Form1::Timer1_Timer() {
  view_.UpdateIcons();
}

void Form1::Btn_Click(int index) {
  switch (index) {
    case 0:  // &OK
      DoOptionsUebernehmen();
      ShowWindow(window_.get(), SW_HIDE);
      break;
    case 1:  // &Abbrechen: the controls keep what the user set
      ShowWindow(window_.get(), SW_HIDE);
      break;
    case 2:  // &Hilfe: the window stays
      help_.ShowHelp();
      break;
    case 3:  // &Info: not modal, one at a time
      if (!info_) info_ = std::make_unique<InfoForm>(instance_, window_.get(), help_);
      info_->ShowInfo();
      break;
    case 4:  // &Beenden
      EndApp();
      break;
    default:
      break;
  }
}

void Form1::DoOptionsUebernehmen() {
  quenora::DoOptionsUebernehmen(*this, settings_, tray_, cycle_, view_);
}

void Form1::TabStrip1_Click() {
  ShowLayer(static_cast<int>(SendMessageW(Control(kTabStrip1), TCM_GETCURSEL, 0, 0)) + 1);
}

void Form1::ShowLayer(int index) {
  if (!pagesBuilt_) BuildPages();
  for (int i = 1; i <= kPageCount; ++i) {
    ShowWindow(GetDlgItem(window_.get(), kLayerIdBase + i), i == index ? SW_SHOW : SW_HIDE);
  }
}

int Form1::VisibleLayer() const {
  // Unbuilt pages show the first one once they are built.
  if (!pagesBuilt_) return shaped_ ? 1 : 0;
  // Asked of the pages' own visibility: the window itself may be hidden.
  for (int i = 1; i <= kPageCount; ++i) {
    if (GetWindowLongW(GetDlgItem(window_.get(), kLayerIdBase + i), GWL_STYLE) & WS_VISIBLE)
      return i;
  }
  return 0;
}

void Form1::ShapeForm() {
  shaped_ = true;
  if (pagesBuilt_) PlacePages();
  WindowGeometry geometry(window_.get());
  store_.RestoreFormPosition(geometry);
}

void Form1::PlacePages() {
  HWND window = window_.get();
  HWND first = GetDlgItem(window, kLayerIdBase + 1);
  RECT place{};
  GetWindowRect(first, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  const ControlSpec* frame = FindControl(kFrame1 + 1);
  for (int i = 1; i <= kPageCount; ++i) {
    // All pages on the place of the first, the size of its frame.
    SetWindowPos(GetDlgItem(window, kLayerIdBase + i), nullptr, place.left, place.top,
                 Px(frame->rect.width), Px(frame->rect.height), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowLayer(1);
}

bool Form1::PreTranslateMessage(MSG& message) {
  if (info_ && info_->PreTranslateMessage(message)) return true;
  HWND window = window_.get();
  if (!window || !IsWindowVisible(window)) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
      message.hwnd == Control(kLV)) {
    LV_KeyPress(13);
    return true;
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (control) {
      // Ctrl+Tab turns the pages, as in every tabbed dialog.
      HWND tabStrip = Control(kTabStrip1);
      const int current = static_cast<int>(SendMessageW(tabStrip, TCM_GETCURSEL, 0, 0));
      const int next = (current + (shift ? kPageCount - 1 : 1)) % kPageCount;
      SendMessageW(tabStrip, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
      TabStrip1_Click();
    } else {
      MoveFocus(shift);
    }
    return true;
  }
  return IsDialogMessageW(window, &message) != FALSE;
}

void Form1::MoveFocus(bool backwards) {
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
      SendMessageW(window_.get(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
      SetFocus(control);
      return;
    }
  }
}

void Form1::DrawLogo(const DRAWITEMSTRUCT& item) {
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

// The controls that hold the settings between two applies.

int Form1::TimerIntervalSliderValue() const {
  if (!pagesBuilt_) return unbuilt_.interval;
  return static_cast<int>(SendMessageW(BuiltControl(kTimerIntervalSlider), TBM_GETPOS, 0, 0));
}
void Form1::SetTimerIntervalSliderValue(int seconds) {
  if (!pagesBuilt_) {
    unbuilt_.interval = SliderPosition(kTimerIntervalSlider, seconds);
    return;
  }
  SendMessageW(BuiltControl(kTimerIntervalSlider), TBM_SETPOS, TRUE, seconds);
}
int Form1::MemLimitSliderValue() const {
  if (!pagesBuilt_) return unbuilt_.limit;
  return static_cast<int>(SendMessageW(BuiltControl(kMemLimitSlider), TBM_GETPOS, 0, 0));
}
void Form1::SetMemLimitSliderValue(int megabytes) {
  if (!pagesBuilt_) {
    unbuilt_.limit = SliderPosition(kMemLimitSlider, megabytes);
    return;
  }
  SendMessageW(BuiltControl(kMemLimitSlider), TBM_SETPOS, TRUE, megabytes);
}
int Form1::Check1Value() const {
  if (!pagesBuilt_) return unbuilt_.check1;
  return SendMessageW(BuiltControl(kCheck1), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}
void Form1::SetCheck1Value(int value) {
  if (!pagesBuilt_) {
    unbuilt_.check1 = value ? 1 : 0;
    return;
  }
  SendMessageW(BuiltControl(kCheck1), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}
// Unbuilt labels get their texts when the pages are built.
void Form1::RefreshIntervalDisplay() {
  if (!pagesBuilt_) return;
  SetWindowTextW(BuiltControl(kLabel1 + 2),
                 Widen(IntervalDisplayText(TimerIntervalSliderValue())).c_str());
}
void Form1::RefreshLimitDisplay() {
  if (!pagesBuilt_) return;
  SetWindowTextW(BuiltControl(kLabel1 + 3), Widen(LimitDisplayText(MemLimitSliderValue())).c_str());
}

void Form1::SetTimer1Interval(unsigned milliseconds) {
  timerInterval_ = milliseconds;
  // A new interval counts from now, as a restarted timer does.
  if (timerEnabled_) SetTimer(window_.get(), kTimer1Id, timerInterval_, nullptr);
}

void Form1::SetTimer1Enabled(bool enabled) {
  timerEnabled_ = enabled;
  if (enabled) {
    SetTimer(window_.get(), kTimer1Id, timerInterval_, nullptr);
  } else {
    KillTimer(window_.get(), kTimer1Id);
    // A tick the old timer had already queued must not run after the switch-off: the next
    // tick comes one whole interval after the timer is switched on again.
    MSG pending;
    while (PeekMessageW(&pending, window_.get(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
  }
}

std::vector<std::string> Form1::RefreshDriveList() {
  // The drive list box's entries, kept without a window of its own: a list box window would
  // load the common controls into a program that sits in the tray.
  return DriveListEntries(services_.logicalDrives);
}

void Form1::ClearLV() {
  if (!pagesBuilt_) {
    unbuilt_.lv.clear();
    return;
  }
  SendMessageW(BuiltControl(kLV), LVM_DELETEALLITEMS, 0, 0);
}

void Form1::AddLVEntry(std::string_view text) {
  if (!pagesBuilt_) {
    unbuilt_.lv.push_back({std::string(text), false});
    return;
  }
  HWND list = BuiltControl(kLV);
  std::wstring caption = Widen(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = caption.data();
  item.iImage = 0;  // the one drive picture of ImageList1
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int Form1::LVCount() const {
  if (!pagesBuilt_) return static_cast<int>(unbuilt_.lv.size());
  return static_cast<int>(SendMessageW(BuiltControl(kLV), LVM_GETITEMCOUNT, 0, 0));
}

std::string Form1::LVText(int index) const {
  if (!pagesBuilt_) {
    return index >= 0 && index < LVCount() ? unbuilt_.lv[static_cast<std::size_t>(index)].text
                                           : std::string();
  }
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = 512;
  SendMessageW(BuiltControl(kLV), LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
  return Narrow(buffer);
}

bool Form1::LVChecked(int index) const {
  if (!pagesBuilt_) {
    return index >= 0 && index < LVCount() && unbuilt_.lv[static_cast<std::size_t>(index)].checked;
  }
  const auto state = SendMessageW(BuiltControl(kLV), LVM_GETITEMSTATE, static_cast<WPARAM>(index),
                                  LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void Form1::SetLVChecked(int index, bool checked) {
  if (!pagesBuilt_) {
    if (index >= 0 && index < LVCount())
      unbuilt_.lv[static_cast<std::size_t>(index)].checked = checked;
    return;
  }
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(BuiltControl(kLV), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

}  // namespace quenora::win32
