#include "platform/win32/Win32System.h"

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowGeometry.h"

namespace quenora::win32 {

void Win32System::Beep() {
  MessageBeep(MB_OK);
}

void Win32System::ShowMessage(std::string_view text, std::string_view title) {
  MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), MB_OK | MB_ICONINFORMATION);
}

std::string Win32System::DecimalSeparator() {
  // Asked for at each use, so a change of the user's locale shows in the next tooltip.
  wchar_t separator[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0) return ".";
  return Narrow(separator);
}

std::string Win32System::ToAnsiCodePage(std::u16string_view text) {
  if (text.empty()) return {};
  const std::wstring wide(text.begin(), text.end());
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), size, nullptr, nullptr);
  }
  return ansi;
}

}  // namespace quenora::win32

namespace quenora::win32 {

std::string Win32System::ExecutablePath() {
  // Long paths too: the buffer grows until the whole path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace quenora::win32

namespace quenora::win32 {

bool Win32System::AnotherInstanceRuns() {
  if (instanceMutex_) return false;  // this process holds the place already
  // A named mutex in the session's namespace: one per logged-on user. It lives as long as
  // the process; a second start finds it.
  instanceMutex_.reset(CreateMutexW(nullptr, FALSE, L"Local\\Tarnwick.Quenora.Instance"));
  const bool exists = GetLastError() == ERROR_ALREADY_EXISTS;
  if (exists) instanceMutex_.reset();
  return exists;
}

void Win32System::EndProcessNow() {
  ExitProcess(0);
}

WindowsVersionRecord Win32System::WindowsVersion() {
  // The record's size field set to the classic 148 bytes. Without a manifest naming the
  // newer systems the answer is the compatibility version, as the system intends.
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  static_assert(sizeof(OSVERSIONINFOA) == 148);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  if (!GetVersionExA(&info)) return {};
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

int Win32System::TrayIconSize() {
  // The notification area draws its icons at the DPI of the taskbar's monitor. Where the
  // taskbar can't be found (a shell of another kind) or the system has one DPI for every
  // monitor (before Windows 10), that is the system's DPI.
  const int dpi = WindowDpi(FindWindowW(L"Shell_TrayWnd", nullptr));
  // GetSystemMetricsForDpi exists from Windows 10 (1607) on.
  using GetSystemMetricsForDpiFn = int WINAPI(int, UINT);
  static GetSystemMetricsForDpiFn* const metricsForDpi =
      SystemFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  if (metricsForDpi) {
    if (const int size = metricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi)); size > 0) return size;
  }
  // Older systems: the small-icon size at the system's DPI, scaled to the taskbar's.
  return MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, WindowDpi(nullptr));
}

std::optional<std::uint32_t> Win32System::HighContrastText() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) ||
      !(contrast.dwFlags & HCF_HIGHCONTRASTON)) {
    return std::nullopt;
  }
  // The taskbar of a high contrast theme writes in the theme's window text colour.
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  return (std::uint32_t{GetRValue(text)} << 16) | (std::uint32_t{GetGValue(text)} << 8) |
         GetBValue(text);
}

}  // namespace quenora::win32
