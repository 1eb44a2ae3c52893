// The least a tray program can be, the yardstick of the start and memory benchmark: one hidden
// window, one tray icon added with Shell_NotifyIconA, a timer of the same kind as Quenora's
// Timer1 whose ticks do nothing, and the message loop. WM_CLOSE removes the icon and ends it.
//
//   minimal_tray [seconds]      the timer's interval, 10 s by default

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr wchar_t kClassName[] = L"QuenoraBenchMinimal";
constexpr UINT kTimerId = 1;
constexpr UINT kIconId = 1;
constexpr UINT kCallbackMessage = WM_APP + 1;

NOTIFYICONDATAA IconRecord(HWND window) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = window;
  record.uID = kIconId;
  return record;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      return 0;
    case WM_CLOSE: {
      NOTIFYICONDATAA record = IconRecord(window);
      Shell_NotifyIconA(NIM_DELETE, &record);
      DestroyWindow(window);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const int seconds = commandLine && *commandLine ? std::atoi(commandLine) : 10;

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassW(&windowClass)) return 1;
  HWND window = CreateWindowExW(0, kClassName, L"Minimal", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;

  NOTIFYICONDATAA record = IconRecord(window);
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = kCallbackMessage;
  record.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  std::strcpy(record.szTip, "Minimal");
  Shell_NotifyIconA(NIM_ADD, &record);
  SetTimer(window, kTimerId, static_cast<UINT>(seconds > 0 ? seconds : 10) * 1000u, nullptr);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
