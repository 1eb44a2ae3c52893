#include "platform/win32/Win32NotifyArea.h"

#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <cstring>

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

}  // namespace quenora::win32
