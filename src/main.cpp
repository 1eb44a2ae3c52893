// Quenora: the free space of the user's drives, one tray icon per drive.

#include <windows.h>

#include <cstdlib>
#include <exception>
#include <memory>

#include "platform/win32/SystemLibraries.h"
#include "platform/win32/Win32DiskSpace.h"
#include "platform/win32/Win32EventLog.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32HistoryFiles.h"
#include "platform/win32/Win32LogicalDrives.h"
#include "platform/win32/Win32NotifyArea.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32RegistryCalls.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "settings/Autostart.h"
#include "ui/Form1.h"
#include "util/Utf.h"

#if defined(__GLIBCXX__)
// GNU's C++ library makes this its default std::terminate handler: it writes the type of the
// exception, demangled, to stderr and aborts. A window program has no stderr, so all that a
// user ever sees of it is the abort, while its demangler is 46 KB of the exe. Defined here,
// the library's version and its demangler stay out.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  quenora::win32::KeepDllSearchInSystemFolder();
  quenora::win32::FailDriveErrorsQuietly();

  // Shared with the drives' workers: one still caught in a call at exit keeps it alive.
  const auto disks = std::make_shared<quenora::win32::Win32DiskSpace>();
  quenora::win32::Win32NotifyArea notifyArea;
  quenora::win32::Win32System system;
  quenora::win32::Win32Registry registry;
  quenora::win32::Win32Shell shell;
  quenora::win32::Win32RegistryCalls registryCalls;
  quenora::win32::Win32Files files;
  quenora::win32::Win32LogicalDrives logicalDrives;
  quenora::win32::Win32HistoryFiles historyFiles;
  quenora::win32::Win32EventLog eventLog;
  quenora::win32::Form1Services services{disks, notifyArea,    system, registry,
                                         shell, registryCalls, files,  logicalDrives};
  services.historyFiles = &historyFiles;
  services.eventLog = &eventLog;
  services.startedWithWindows = quenora::HasAutostartSwitch(
      quenora::Utf16ToUtf8(reinterpret_cast<const char16_t*>(commandLine ? commandLine : L"")));
  quenora::win32::Form1 form(services);
  // Not loaded: the window couldn't be made, or another instance runs and said so.
  if (!form.Load(instance)) return 0;

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (form.PreTranslateMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
