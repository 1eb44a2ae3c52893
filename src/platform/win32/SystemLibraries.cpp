#include "platform/win32/SystemLibraries.h"

#include <string>

namespace quenora::win32 {

namespace {

// SetDefaultDllDirectories and the search flags of LoadLibraryExW (LOAD_LIBRARY_SEARCH_*) came
// with Windows 8, and to Windows 7 with an update (KB2533623): where the function is missing,
// the flags are unknown as well. Looked up at run time, so that the program still starts there.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  // Through the generic function type: GetProcAddress can't know the real one.
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

}  // namespace

void KeepDllSearchInSystemFolder() {
  // The exe imports only known DLLs, which never come from anywhere but the system folder. What
  // is loaded later by name (comctl32 for the options window, COM and the picture decoder for a
  // dialog's picture, and whatever those load in turn) would otherwise be looked for in the
  // exe's folder first: a Downloads folder, for a copy unpacked from the zip.
  if (const auto setDefault = FindSetDefaultDllDirectories()) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  } else {
    SetDllDirectoryW(L"");  // the current folder at least is no longer searched
  }
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  static const bool searchFlags = FindSetDefaultDllDirectories() != nullptr;
  // The side-by-side assembly of the manifest still comes first with the flag: comctl32.dll is
  // the version 6 of the common controls, as the manifest asks.
  if (searchFlags) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);

  // Without the flags: the full path in the system folder, and the DLL's own imports looked for
  // beside it, not beside the exe.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace quenora::win32
