#pragma once
// The system's own DLLs, never one of the same name from the exe's folder.

#include <windows.h>

namespace quenora::win32 {

// From now on a DLL loaded by name, by the program or by the system's DLLs for it, is looked
// for in the system folder only. Called first thing at start.
void KeepDllSearchInSystemFolder();

// The DLL `name` ("comctl32.dll") from the system folder, or from the side-by-side assembly
// the manifest names for it; null if it can't be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace quenora::win32
