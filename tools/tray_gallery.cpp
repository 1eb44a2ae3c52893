// Developer tool: shows tray pictures side by side in the real notification area, to look at
// them at the size the shell draws them.
//
//   tray_gallery [index...]     default: 0 7 14 20 27 28 29; runs until its window is closed

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "platform/win32/Win32NotifyArea.h"
#include "platform/win32/Win32System.h"
#include "tray/TrayIconSet.h"
#include "ui/TrayIcons.h"

int main(int argc, char** argv) {
  std::vector<int> indexes;
  for (int i = 1; i < argc; ++i) indexes.push_back(std::atoi(argv[i]));
  if (indexes.empty()) indexes = {0, 7, 14, 20, 27, 28, 29};

  HWND window = CreateWindowExW(0, L"STATIC", L"Quenora tray gallery", WS_OVERLAPPEDWINDOW, 0, 0,
                                100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  const auto icons = quenora::win32::CreateTrayIcons();
  quenora::win32::Win32NotifyArea shell;
  quenora::win32::Win32System system;
  quenora::TrayIconSet tray(shell, system);
  tray.TrayWindowHandle = reinterpret_cast<quenora::WindowHandle>(window);
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    const auto& icon = icons[static_cast<std::size_t>(indexes[i] % quenora::kTrayPictureCount)];
    tray.AddTrayIcon(static_cast<std::uint32_t>(i + 1),
                     reinterpret_cast<quenora::IconHandle>(icon.get()), "Quenora");
  }

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  tray.RemoveAllTrayIcons(static_cast<std::int32_t>(indexes.size()));
  return 0;
}
