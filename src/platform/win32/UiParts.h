#pragma once
// Small parts the program's windows share: their fonts, the tooltip of a control, pictures.

#include <windows.h>

#include <commctrl.h>

#include <string_view>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibraries.h"

namespace quenora::win32 {

// The dialog font of the classic utilities, "MS Shell Dlg 2" (Tahoma) at 8.25 points, which
// keeps texts within the twips the layouts give them.
inline constexpr wchar_t kDialogFontFace[] = L"MS Shell Dlg 2";
inline constexpr int kDialogFontCentiPoints = 825;

// A font of `centiPoints` hundredths of a point at `dpi`.
UniqueFont CreateUiFont(int dpi, bool bold, const wchar_t* face = kDialogFontFace,
                        int centiPoints = kDialogFontCentiPoints);

// The system menu of a fixed dialog frame: Move and Close only.
void KeepMoveAndCloseOnly(HWND window);

// Resizes `window` so that its client area is `width` x `height` pixels, whatever its frame
// turns out to be at its DPI.
void FitClientArea(HWND window, int width, int height);

// The common controls (tab strip, sliders, list view, tooltips, image lists): comctl32 loaded
// and its classes registered when the first window that shows them is built, not with the
// program. False if they can't be had.
bool LoadCommonControls();
// comctl32's image lists, through LoadCommonControls.
HIMAGELIST CreateImageList(int width, int height, UINT flags, int initial, int grow);
int AddIconToImageList(HIMAGELIST list, HICON icon);
void DestroyImageList(HIMAGELIST list);

// comctl32's subclassing of a control, as SetWindowSubclass, RemoveWindowSubclass and
// DefSubclassProc do (the last falls back to DefWindowProcW).
BOOL Subclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
void Unsubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefaultSubclassed(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A window procedure's answer from `handle`; where the build has exceptions, whatever `handle`
// throws ends here with `fallback`'s answer, since nothing may unwind through the system's code.
// (Quenora.exe is built without them: there a library error ends the program.)
template <typename Handle, typename Fallback>
LRESULT Guarded(Handle handle, Fallback fallback) {
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
  try {
    return handle();
  } catch (...) {
    return fallback();
  }
#else
  (void)fallback;
  return handle();
#endif
}

// A tooltip that shows `text` while the mouse rests on `control` of `owner`.
UniqueWindow CreateControlTooltip(HWND owner, HWND control, std::string_view text,
                                  int maxWidthPixels);

// The PNG picture of RCDATA resource `id` as a 24-bit DIB section, pixel for pixel; none when
// the resource is missing or can't be decoded.
UniqueBitmap LoadPngResource(HINSTANCE instance, int id);

// A function of a system DLL, the DLL loaded on first use and kept; null if either is missing.
// For DLLs that weigh much and serve only windows a program in the tray doesn't show: ole32,
// oleaut32 and comctl32, with what they pull in, cost megabytes of memory and a good part of
// the start under wine. Loaded from the system's folder (comctl32 from the manifest's
// side-by-side assembly), never from beside the exe.
template <typename Function>
Function* SystemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = LoadSystemLibrary(dll);
  if (!module) return nullptr;
  // Through the generic function type: GetProcAddress can't know the real one.
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace quenora::win32
