#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {

bool Win32Shell::StartProcess(std::string_view application, std::string_view commandLine) {
  const std::wstring path = Widen(application);
  std::wstring line = Widen(commandLine);  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  // Not waited for, and nothing of it kept.
  const UniqueKernelHandle thread(process.hThread), started(process.hProcess);
  return true;
}

std::string Win32Shell::WindowsDirectory() {
  wchar_t directory[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryW(directory, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return "C:\\Windows";
  std::wstring text(directory, length);
  while (!text.empty() && text.back() == L'\\') text.pop_back();
  return Narrow(text);
}

void Win32Shell::OpenWithShell(std::string_view target, int showMode) {
  // Wide, so that no character of a path is lost; the answer isn't examined.
  ShellExecuteW(GetDesktopWindow(), L"Open", Widen(target).c_str(), nullptr, nullptr, showMode);
}

}  // namespace quenora::win32
