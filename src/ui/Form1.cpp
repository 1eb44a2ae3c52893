#include "ui/Form1.h"

#include "platform/win32/TrayIcons.h"

namespace quenora::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"QuenoraForm1";
constexpr char kDefaultDriveLetter = 'C';
constexpr UINT kDefaultIntervalSeconds = 10;
constexpr double kDefaultMemoryLimit = 10;

}  // namespace

Form1::Form1(Form1Services services)
    : services_(services),
      freeSpace_(services.disks, services.system),
      tray_(services.notifyArea, services.system, drives_),
      cycle_(drives_, freeSpace_, services.disks, tray_, services.system, icoImage_) {}

Form1::~Form1() {
  // Destroying the window unloads it: the icons leave the tray with it.
  window_.reset();
}

bool Form1::Load(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Form1::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);  // a second registration in the same process fails harmlessly

  // The client area is 5580 x 3630 twips; the options pages that fill it come later.
  RECT frame{0, 0, MulDiv(5580, 96, 1440), MulDiv(3630, 96, 1440)};
  const DWORD style = WS_CAPTION | WS_SYSMENU;
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  // The tray pictures belong to the window and live as long as it does.
  icoImageOwners_ = CreateTrayIcons();
  for (std::size_t i = 0; i < icoImage_.size(); ++i) {
    icoImage_[i] = reinterpret_cast<IconHandle>(icoImageOwners_[i].get());
  }

  // window_ takes the handle at WM_NCCREATE, so the first messages already find it.
  if (!CreateWindowExW(0, kWindowClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                       frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                       instance, this)) {
    return false;
  }
  Form_Load();
  return true;
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
  }
  return form->HandleMessage(message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_.get();
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimer1Id) Timer1_Timer();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows is going down or the user logs off: the process may end without another
      // message, so the window unloads now.
      if (wParam) Form_Unload();
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      Form_Unload();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Form1::Form_Load() {
  HWND window = window_.get();
  SetWindowTextW(window, L"Quenora");
  tray_.TrayWindowHandle = reinterpret_cast<WindowHandle>(window);

  freeSpace_.OSFat32Support = freeSpace_.GetDiskFreeSpaceExSupported() ? -1 : 0;

  LoadDefaultMonitorSettings();
  // The first cycle runs at once, in the alarm phase, with every remembered count at 0.
  cycle_.UpdateIcons();
  SetTimer(window, kTimer1Id, timerInterval_, nullptr);
}

void Form1::LoadDefaultMonitorSettings() {
  timerInterval_ = kDefaultIntervalSeconds * 1000;
  cycle_.MemoryLimit = kDefaultMemoryLimit;
  cycle_.AlarmSoundEnabled = 1;

  drives_.DriveCount = 0;
  const std::int32_t number = kDefaultDriveLetter % 64;
  // Only a drive the system has gets an icon.
  if (GetLogicalDrives() & (1u << (number - 1))) {
    drives_.DriveCount = 1;
    drives_.DriveNumbers[0] = number;
    tray_.AddTrayIcon(1, icoImage_[kIconUnreadable], "");
  }
}

void Form1::Timer1_Timer() {
  cycle_.UpdateIcons();
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  KillTimer(window_.get(), kTimer1Id);
  tray_.RemoveAllTrayIcons();
}

}  // namespace quenora::win32
