#include "ui/Window.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowGeometry.h"
#include "resource.h"
#include "ui/WindowClasses.h"
#include "util/ProgramIdentity.h"

namespace quenora::win32 {

namespace {

// A fixed dialog frame with the close box only, never minimized or maximized.
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

Window::Window(HINSTANCE instance, HWND owner, WindowLayout layout)
    : instance_(instance), owner_(owner), layout_(layout) {}

Window::~Window() {
  window_.reset();
}

HWND Window::Control(int id) const {
  const ControlSpec* row = FindControl(layout_.controls, id);
  HWND container =
      row && row->container ? GetDlgItem(window_.get(), row->container) : window_.get();
  return GetDlgItem(container, id);
}

int Window::Px(int twips) const {
  return TwipsToPixels(twips, dpi_);
}

bool Window::Create(HINSTANCE instance) {
  instance_ = instance;
  RegisterWindowClasses(instance, layout_.className, &Window::WindowProc, &Window::LayerProc);
  pictures_.clear();
  ownFonts_.clear();
  lastFocus_ = nullptr;
  // A window without an owner of its own gets a hidden one before it is first shown
  // (KeepOutOfTaskbar), or now if it has had one before.
  HWND owner = owner_ ? owner_ : hiddenOwner_.get();
  // window_ takes the handle at WM_NCCREATE, so the first messages already find it; the size
  // follows once the DPI is known.
  if (!CreateWindowExW(kWindowExStyle, layout_.className, L"", Style(), 0, 0, 100, 100, owner,
                       nullptr, instance, this)) {
    return false;
  }
  dpi_ = WindowDpi(window_.get());
  SizeToClientArea(std::nullopt);
  if (!layout_.resizable) KeepMoveAndCloseOnly(window_.get());
  return true;
}

DWORD Window::Style() const {
  return layout_.resizable ? kWindowStyle | WS_THICKFRAME | WS_MAXIMIZEBOX : kWindowStyle;
}

void Window::KeepOutOfTaskbar() {
  // An owned window stays out of the taskbar; a window without an owner of its own gets a
  // hidden one. It is made here, as the window is first shown, not with the window: the main
  // window is made at every start but shown only when the user asks for it, and a top-level
  // window costs the window system a round trip (under wine an X window, 2 to 5 ms, up to a tenth
  // of a start into the tray). Set while the window is still hidden, the owner is there
  // before the taskbar looks at the window.
  HWND window = window_.get();
  if (owner_ || !window || GetWindow(window, GW_OWNER)) return;
  if (!hiddenOwner_) {
    hiddenOwner_.reset(CreateWindowExW(0, kOwnerClass, Widen(kProductName).c_str(), WS_POPUP, 0, 0,
                                       0, 0, nullptr, nullptr, instance_, nullptr));
  }
  // GWLP_HWNDPARENT of a top-level window is its owner.
  if (hiddenOwner_) {
    SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hiddenOwner_.get()));
  }
}

void Window::SizeToClientArea(std::optional<POINT> place) {
  HWND window = window_.get();
  RECT frame{0, 0, Px(layout_.clientWidth), Px(layout_.clientHeight)};
  AdjustWindowRectEx(&frame, Style(), FALSE, kWindowExStyle);
  // Any coordinate is a place: a monitor left of or above the primary one has negative ones.
  const UINT keepPlace = place ? 0 : SWP_NOMOVE;
  const POINT at = place.value_or(POINT{0, 0});
  SetWindowPos(window, nullptr, at.x, at.y, frame.right - frame.left, frame.bottom - frame.top,
               keepPlace | SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame at the window's DPI may differ from the estimate; the client area is what counts.
  FitClientArea(window, Px(layout_.clientWidth), Px(layout_.clientHeight));
}

bool Window::Load() {
  if (!Create(instance_)) return false;
  HWND window = window_.get();
  RECT frame{};
  GetWindowRect(window, &frame);
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  CreateControls();
  if (Form_Load()) return true;
  Unload(kClosedByUser);
  return false;
}

void Window::CreateFonts() {
  font_ = CreateUiFont(dpi_, false);
  boldFont_ = CreateUiFont(dpi_, true);
}

HFONT Window::FontOf(const ControlSpec& row) {
  if (!row.fontFace) return row.bold ? boldFont_.get() : font_.get();
  ownFonts_.push_back(CreateUiFont(dpi_, row.bold, row.fontFace, row.fontCentiPoints));
  return ownFonts_.back().get();
}

void Window::CreateControls() {
  CreateFonts();
  for (std::size_t index = 0; index < layout_.controls.size(); ++index) {
    CreateControl(layout_.controls[index], StartsGroup(layout_.controls, index));
  }
  if (std::any_of(layout_.controls.begin(), layout_.controls.end(),
                  [](const ControlSpec& row) { return ReportsClicks(row.kind); })) {
    handPointer_.reset(static_cast<HCURSOR>(LoadImageW(
        instance_, MAKEINTRESOURCEW(IDC_HAND_POINTER), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
  }
}

void Window::CreateControl(const ControlSpec& row, bool startsGroup) {
  // A control on a page is placed within its page.
  HWND parent = row.container ? GetDlgItem(window_.get(), row.container) : window_.get();
  const ControlClass kind = ClassOf(row.kind);
  const DWORD style = startsGroup ? kind.style | WS_GROUP : kind.style;
  const TwipsRect rect = ControlPlace(row);
  HWND control =
      CreateWindowExW(kind.exStyle, kind.name, Widen(row.text).c_str(), style, Px(rect.left),
                      Px(rect.top), Px(rect.width), Px(HeightInTwips(row, rect)), parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(row)), FALSE);
}

void Window::SetPicture(int id, HBITMAP picture) {
  pictures_.emplace_back(id, picture);
  InvalidateRect(Control(id), nullptr, TRUE);
}

void Window::TakeOwnersIcons() {
  // Shared icons, not ours to destroy.
  HICON big = nullptr;
  HICON small = nullptr;
  if (owner_) {
    big = reinterpret_cast<HICON>(GetClassLongPtrW(owner_, GCLP_HICON));
    small = reinterpret_cast<HICON>(GetClassLongPtrW(owner_, GCLP_HICONSM));
  }
  if (!big) big = ProgramIcon(instance_, IconSize::Large);
  if (!small) small = ProgramIcon(instance_, IconSize::Small);
  SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

HWND Window::FirstTabStop() const {
  // Of a group of option buttons, only the chosen one is a tab stop.
  for (const ControlSpec& row : layout_.controls) {
    HWND control = Control(row.id);
    if (TakesFocus(row.kind) && IsWindowEnabled(control) &&
        (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP)) {
      return control;
    }
  }
  return window_.get();
}

int Window::RunModal() {
  HWND window = window_.get();
  if (!window) return kClosedByUser;
  result_ = kClosedByUser;
  running_ = true;
  // Nothing of the owner can be used while the window is up.
  ownerDisabled_ = owner_ && IsWindowEnabled(owner_);
  if (ownerDisabled_) EnableWindow(owner_, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(FirstTabStop());

  MSG message{};
  bool quit = false;
  while (running_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    // Tab, access keys, Enter and Escape; everything else, also for the other windows of
    // the program (the timer, the tray), goes its usual way.
    if (running_ && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Unload(result_);
  // The program was asked to end while the window was up: its own loop must hear it too.
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
  return result_;
}

void Window::Show() {
  HWND window = window_.get();
  if (!window) return;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(FirstTabStop());
}

bool Window::PreTranslateMessage(MSG& message) {
  HWND window = window_.get();
  if (!window || (message.hwnd != window && !IsChild(window, message.hwnd))) return false;
  return IsDialogMessageW(window, &message) != FALSE;
}

void Window::StopModalLoop() {
  // A message sent from another thread (a button pressed by an automation or accessibility
  // tool) is handled inside GetMessage, which then goes on sleeping until something is
  // posted: an empty thread message lets the modal loop see at once that the window is gone.
  // A nested loop may swallow it, but then the modal loop isn't waiting and looks again.
  if (running_) PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  running_ = false;
}

void Window::Unload(int result) {
  result_ = result;
  StopModalLoop();
  // The owner is enabled before the window goes, so that it becomes the active window again.
  if (ownerDisabled_) EnableWindow(owner_, TRUE);
  ownerDisabled_ = false;
  window_.reset();
}

LRESULT CALLBACK Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(window);
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    // Destroyed along with its owner, or by Unload: either way the handle is gone.
    self->window_.release();
    self->StopModalLoop();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return Guarded([&] { return self->HandleMessage(message, wParam, lParam); },
                 [&] { return DefWindowProcW(window, message, wParam, lParam); });
}

LRESULT CALLBACK Window::LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A page is a plain container: what its controls report goes to the window.
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:  // as it is: passed on by default, it would name the page, not the control
    case WM_HSCROLL:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetParent(window), message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.get();
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      // Escape comes as IDCANCEL without a control; it closes like the close box.
      if (lParam == 0 && id == IDCANCEL) {
        if (!Form_QueryUnload(UnloadMode::CloseBox)) Unload(kClosedByUser);
      } else if (lParam != 0) {
        Control_Command(id, HIWORD(wParam));
      }
      return 0;
    }
    case DM_GETDEFID:
      // Enter on a control that isn't a push button presses the default one.
      for (const ControlSpec& row : layout_.controls) {
        if (row.kind == ControlKind::DefaultButton) return MAKELRESULT(row.id, DC_HASDEFID);
      }
      return 0;
    case WM_DRAWITEM:
      DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SETCURSOR: {
      // A control that reports clicks shows the hand over it.
      HWND over = reinterpret_cast<HWND>(wParam);
      const ControlSpec* row = FindControl(layout_.controls, GetDlgCtrlID(over));
      if (handPointer_ && row && ReportsClicks(row->kind) && Control(row->id) == over) {
        SetCursor(handPointer_.get());
        return TRUE;
      }
      break;
    }
    case WM_ACTIVATE:
      RememberFocus(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_NEXTDLGCTL: {
      // The dialog manager moves the keyboard with this on a label's access key: to the label,
      // then on to the field after it. A window that is no dialog carries it out itself.
      HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_SYSCOMMAND:
      // The close box, the system menu's close and Alt+F4.
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        if (!Form_QueryUnload(UnloadMode::CloseBox)) Unload(kClosedByUser);
        return 0;
      }
      break;
    case WM_CLOSE:
      // From another program (a task manager, an uninstaller) or an automation tool.
      if (!Form_QueryUnload(UnloadMode::FromOutside)) Unload(kClosedByUser);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SIZE:
      // A window that the user sizes follows with its controls.
      if (layout_.resizable && wParam != SIZE_MINIMIZED) PlaceControls();
      break;
    case WM_SHOWWINDOW:
      // About to be shown, by whichever call: the owner comes first.
      if (wParam) KeepOutOfTaskbar();
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Window::RememberFocus(bool active) {
  // The control that had the keyboard gets it back when the window is active again.
  HWND window = window_.get();
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) lastFocus_ = focus;
    return;
  }
  HWND focus = lastFocus_ && IsChild(window, lastFocus_) && IsWindowVisible(lastFocus_)
                   ? lastFocus_
                   : FirstTabStop();
  if (focus) SetFocus(focus);
}

void Window::OnDpiChanged(int dpi, const RECT& suggested) {
  // Moved to a monitor of another scale: the same twips, other pixels. The old fonts stay
  // alive until every control has the new ones.
  dpi_ = dpi;
  UniqueFont oldFont = std::move(font_), oldBold = std::move(boldFont_);
  std::vector<UniqueFont> oldOwn = std::move(ownFonts_);
  CreateFonts();
  for (const ControlSpec& row : layout_.controls) {
    if (HWND control = Control(row.id)) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(row)), TRUE);
    }
  }
  PlaceControls();
  Form_DpiChanged();
  SizeToClientArea(POINT{suggested.left, suggested.top});
  InvalidateRect(window_.get(), nullptr, TRUE);
}

void Window::PlaceControls() {
  for (const ControlSpec& row : layout_.controls) {
    HWND control = Control(row.id);
    if (!control) continue;
    const TwipsRect rect = ControlPlace(row);
    SetWindowPos(control, nullptr, Px(rect.left), Px(rect.top), Px(rect.width),
                 Px(HeightInTwips(row, rect)), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Window::DrawPicture(const DRAWITEMSTRUCT& item) const {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const auto found = std::find_if(pictures_.begin(), pictures_.end(), [&](const auto& entry) {
    return entry.first == static_cast<int>(item.CtlID);
  });
  if (found == pictures_.end() || !found->second) return;
  BITMAP size{};
  if (!GetObjectW(found->second, sizeof size, &size)) return;
  UniqueMemoryDc memory(CreateCompatibleDC(item.hDC));
  if (!memory) return;
  HGDIOBJ old = SelectObject(memory.get(), found->second);
  const ControlSpec* row = FindControl(layout_.controls, static_cast<int>(item.CtlID));
  if (row && row->kind == ControlKind::ScaledPicture) {
    // Scaled to the control with averaging, so that the shrunk picture stays smooth.
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
               item.rcItem.bottom - item.rcItem.top, memory.get(), 0, 0, size.bmWidth,
               size.bmHeight, SRCCOPY);
    SelectObject(memory.get(), old);
    return;
  }
  // Pixel for pixel, in the middle of the control, whatever the DPI.
  const int x = (item.rcItem.left + item.rcItem.right - size.bmWidth) / 2;
  const int y = (item.rcItem.top + item.rcItem.bottom - size.bmHeight) / 2;
  BitBlt(item.hDC, x, y, size.bmWidth, size.bmHeight, memory.get(), 0, 0, SRCCOPY);
  SelectObject(memory.get(), old);
}

}  // namespace quenora::win32
