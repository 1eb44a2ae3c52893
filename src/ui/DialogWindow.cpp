#include "ui/DialogWindow.h"

#include <algorithm>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowGeometry.h"

namespace quenora::win32 {

namespace {

constexpr wchar_t kDialogClass[] = L"QuenoraDialog";
constexpr wchar_t kOwnerClass[] = L"QuenoraDialogOwner";

// A memory DC lives only while a picture is drawn.
struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static void Close(HDC dc) { DeleteDC(dc); }
};
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

void RegisterClasses(HINSTANCE instance, WNDPROC dialogProc) {
  // Registering again in the same process fails harmlessly.
  WNDCLASSEXW dialog{};
  dialog.cbSize = sizeof dialog;
  dialog.lpfnWndProc = dialogProc;
  dialog.hInstance = instance;
  dialog.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  dialog.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  dialog.lpszClassName = kDialogClass;
  RegisterClassExW(&dialog);

  WNDCLASSEXW owner = dialog;
  owner.lpfnWndProc = DefWindowProcW;
  owner.lpszClassName = kOwnerClass;
  RegisterClassExW(&owner);
}

bool TakesFocus(DialogControlKind kind) {
  return kind == DialogControlKind::CheckBox || kind == DialogControlKind::DefaultButton ||
         kind == DialogControlKind::PushButton;
}

}  // namespace

DialogWindow::DialogWindow(HINSTANCE instance, HWND owner, DialogLayout layout)
    : instance_(instance), owner_(owner), layout_(layout) {}

DialogWindow::~DialogWindow() {
  window_.reset();
}

bool DialogWindow::Load() {
  RegisterClasses(instance_, &DialogWindow::WindowProc);
  pictures_.clear();
  ownFonts_.clear();
  lastFocus_ = nullptr;
  // An owned window stays out of the taskbar; without an owner of its own the dialog gets a
  // hidden one.
  HWND owner = owner_;
  if (!owner) {
    if (!hiddenOwner_) {
      hiddenOwner_.reset(CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                         nullptr, instance_, nullptr));
    }
    owner = hiddenOwner_.get();
  }
  // A fixed dialog frame with the close box only; sized once the DPI is known.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  if (!CreateWindowExW(exStyle, kDialogClass, L"", style, 0, 0, 100, 100, owner, nullptr, instance_,
                       this)) {
    return false;
  }
  HWND window = window_.get();
  dpi_ = WindowDpi(window);
  RECT frame{0, 0, Px(layout_.clientWidth), Px(layout_.clientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  KeepMoveAndCloseOnly(window);

  font_ = CreateUiFont(dpi_, false);
  boldFont_ = CreateUiFont(dpi_, true);

  // Created in table order, which is the order Tab walks.
  for (const DialogControl& row : layout_.controls) CreateControl(row);
  Form_Load();
  return true;
}

void DialogWindow::CreateControl(const DialogControl& row) {
  const wchar_t* className = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  switch (row.kind) {
    case DialogControlKind::Picture:
      // Drawn by the dialog: a bitmap static would stretch the picture or fill the rest of
      // the control with the picture's corner colour.
      style |= SS_OWNERDRAW;
      break;
    case DialogControlKind::Label:
      style |= SS_LEFT | SS_NOPREFIX;
      break;
    case DialogControlKind::CenteredLabel:
      style |= SS_CENTER | SS_NOPREFIX;
      break;
    case DialogControlKind::CheckBox:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_AUTOCHECKBOX;
      break;
    case DialogControlKind::DefaultButton:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
      break;
    case DialogControlKind::PushButton:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE;
      break;
    case DialogControlKind::ScaledPicture:
      style |= SS_OWNERDRAW | SS_NOTIFY;
      break;
    case DialogControlKind::Line:
      style |= SS_ETCHEDHORZ;
      break;
  }
  HWND control =
      CreateWindowExW(0, className, Widen(row.text).c_str(), style, Px(row.rect.left),
                      Px(row.rect.top), Px(row.rect.width), Px(row.rect.height), window_.get(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
  HFONT font = row.bold ? boldFont_.get() : font_.get();
  if (row.fontFace) {
    ownFonts_.push_back(CreateUiFont(dpi_, row.bold, row.fontFace, row.fontCentiPoints));
    font = ownFonts_.back().get();
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void DialogWindow::SetPicture(int id, HBITMAP picture) {
  pictures_.emplace_back(id, picture);
  InvalidateRect(Control(id), nullptr, TRUE);
}

HWND DialogWindow::FirstTabStop() const {
  for (const DialogControl& row : layout_.controls) {
    if (TakesFocus(row.kind)) return Control(row.id);
  }
  return window_.get();
}

int DialogWindow::RunModal() {
  HWND window = window_.get();
  if (!window) return kClosedByUser;
  result_ = kClosedByUser;
  running_ = true;
  // Nothing of the owner can be used while the dialog is up.
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
  // The program was asked to end while the dialog was up: its own loop must hear it too.
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
  return result_;
}

void DialogWindow::Show() {
  HWND window = window_.get();
  if (!window) return;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(FirstTabStop());
}

bool DialogWindow::PreTranslateMessage(MSG& message) {
  HWND window = window_.get();
  if (!window || (message.hwnd != window && !IsChild(window, message.hwnd))) return false;
  return IsDialogMessageW(window, &message) != FALSE;
}

void DialogWindow::StopModalLoop() {
  // A message sent from another thread (a button pressed by an automation or accessibility
  // tool) is handled inside GetMessage, which then goes on sleeping until something is
  // posted: an empty thread message lets the modal loop see at once that the dialog is gone.
  // A nested loop may swallow it, but then the modal loop isn't waiting and looks again.
  if (running_) PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  running_ = false;
}

void DialogWindow::Unload(int result) {
  result_ = result;
  StopModalLoop();
  // The owner is enabled before the dialog goes, so that it becomes the active window again.
  if (ownerDisabled_) EnableWindow(owner_, TRUE);
  ownerDisabled_ = false;
  window_.reset();
}

LRESULT CALLBACK DialogWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<DialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(window);
  }
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    // Destroyed along with its owner, or by Unload: either way the handle is gone.
    self->window_.release();
    self->StopModalLoop();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (self->Form_Message(message, wParam, lParam, result)) return result;
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT DialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.get();
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      // Escape comes as IDCANCEL without a control; it closes like the close box.
      if (lParam == 0 && id == IDCANCEL) {
        Unload(kClosedByUser);
      } else if (lParam != 0) {
        Control_Command(id, HIWORD(wParam));
      }
      return 0;
    }
    case DM_GETDEFID:
      // Enter on a control that isn't a push button presses the default one.
      for (const DialogControl& row : layout_.controls) {
        if (row.kind == DialogControlKind::DefaultButton) {
          return MAKELRESULT(row.id, DC_HASDEFID);
        }
      }
      return 0;
    case WM_DRAWITEM:
      DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_ACTIVATE:
      // The control that had the keyboard gets it back when the dialog is active again.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) lastFocus_ = focus;
      } else {
        SetFocus(lastFocus_ && IsChild(window, lastFocus_) ? lastFocus_ : FirstTabStop());
      }
      return 0;
    case WM_CLOSE:
      // The close box, the system menu and Alt+F4.
      Unload(kClosedByUser);
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale: the same twips, other pixels.
      dpi_ = HIWORD(wParam);
      UniqueFont oldFont = std::move(font_), oldBold = std::move(boldFont_);
      std::vector<UniqueFont> oldOwn = std::move(ownFonts_);
      font_ = CreateUiFont(dpi_, false);
      boldFont_ = CreateUiFont(dpi_, true);
      for (const DialogControl& row : layout_.controls) {
        HWND control = Control(row.id);
        SetWindowPos(control, nullptr, Px(row.rect.left), Px(row.rect.top), Px(row.rect.width),
                     Px(row.rect.height), SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT font = row.bold ? boldFont_.get() : font_.get();
        if (row.fontFace) {
          ownFonts_.push_back(CreateUiFont(dpi_, row.bold, row.fontFace, row.fontCentiPoints));
          font = ownFonts_.back().get();
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      }
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      FitClientArea(window, Px(layout_.clientWidth), Px(layout_.clientHeight));
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void DialogWindow::DrawPicture(const DRAWITEMSTRUCT& item) const {
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
  const bool scaled =
      std::any_of(layout_.controls.begin(), layout_.controls.end(), [&](const auto& c) {
        return c.id == static_cast<int>(item.CtlID) && c.kind == DialogControlKind::ScaledPicture;
      });
  if (scaled) {
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
