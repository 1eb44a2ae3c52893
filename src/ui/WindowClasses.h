#pragma once
// The classes of the program's windows and of their controls, and the program's icon.

#include <windows.h>

#include "ui/ControlTable.h"

namespace quenora::win32 {

// The hidden owner that keeps a window out of the taskbar, and an options page.
inline constexpr wchar_t kOwnerClass[] = L"QuenoraOwner";
inline constexpr wchar_t kLayerClass[] = L"QuenoraLayer";
inline constexpr wchar_t kCanvasClass[] = L"QuenoraCanvas";

// Registers the window's class `className` with its procedure, and those of the pages and of
// the hidden owner.
void RegisterWindowClasses(HINSTANCE instance, const wchar_t* className, WNDPROC windowProc,
                           WNDPROC layerProc);

// The window class and styles a control of the kind is made with.
struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};
ControlClass ClassOf(ControlKind kind);
// The height the control's window is made with: a drop-down list's reaches over its open list.
int HeightInTwips(const ControlSpec& row, const TwipsRect& rect);

// The program's icon at the system's large or small size; shared, never to be destroyed.
enum class IconSize { Large, Small };
HICON ProgramIcon(HINSTANCE instance, IconSize size);

}  // namespace quenora::win32
