#include "platform/win32/Win32NotifyArea.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

namespace quenora::win32 {

// The portable record is the shell's first layout, field for field, on both builds.
static_assert(sizeof(NotifyIconRecord) == NOTIFYICONDATAA_V1_SIZE);
static_assert(offsetof(NotifyIconRecord, hWnd) == offsetof(NOTIFYICONDATAA, hWnd));
static_assert(offsetof(NotifyIconRecord, uID) == offsetof(NOTIFYICONDATAA, uID));
static_assert(offsetof(NotifyIconRecord, uFlags) == offsetof(NOTIFYICONDATAA, uFlags));
static_assert(offsetof(NotifyIconRecord, uCallbackMessage) ==
              offsetof(NOTIFYICONDATAA, uCallbackMessage));
static_assert(offsetof(NotifyIconRecord, hIcon) == offsetof(NOTIFYICONDATAA, hIcon));
static_assert(offsetof(NotifyIconRecord, szTip) == offsetof(NOTIFYICONDATAA, szTip));
#if !defined(_WIN64)
static_assert(sizeof(NotifyIconRecord) == 88);
#endif

bool Win32NotifyArea::ShellNotifyIcon(std::uint32_t request, const NotifyIconRecord& record) {
  // cbSize tells the shell to read only the first layout; the rest of the larger structure
  // stays zero.
  NOTIFYICONDATAA data{};
  std::memcpy(&data, &record, sizeof record);
  return Shell_NotifyIconA(request, &data) != FALSE;
}

bool Win32NotifyArea::ShowNotice(const NoticeRecord& notice) {
  // A modify of the icon with NIF_INFO alone: picture, tooltip and callback stay as the ANSI
  // record set them. The whole wide record, as Windows 7 and later read it, so that the quiet
  // hours flag is understood.
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = reinterpret_cast<HWND>(notice.hWnd);
  data.uID = notice.uID;
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_WARNING | NIIF_RESPECT_QUIET_TIME;
  const auto copy = [](const std::u16string& from, wchar_t* to, std::size_t capacity) {
    const std::size_t count = std::min(from.size(), capacity - 1);
    std::memcpy(to, from.data(), count * sizeof(wchar_t));
    to[count] = L'\0';
  };
  copy(notice.title, data.szInfoTitle, std::size(data.szInfoTitle));
  copy(notice.text, data.szInfo, std::size(data.szInfo));
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

std::optional<RECT> TrayIconRect(HWND window, UINT id) {
  // Asked by name: Windows before 7 has no such call, and wine's answers E_NOTIMPL. shell32 is
  // loaded with the program.
  using GetRect = HRESULT WINAPI(const NOTIFYICONIDENTIFIER*, RECT*);
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  auto* getRect = shell ? reinterpret_cast<GetRect*>(reinterpret_cast<void (*)()>(
                              GetProcAddress(shell, "Shell_NotifyIconGetRect")))
                        : nullptr;
  NOTIFYICONIDENTIFIER icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = id;
  RECT rect{};
  if (!getRect || FAILED(getRect(&icon, &rect)) || rect.right <= rect.left) return std::nullopt;
  return rect;
}

}  // namespace quenora::win32
