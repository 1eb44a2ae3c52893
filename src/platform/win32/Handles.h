#pragma once
// Move-only owners for raw Win32 handles: every handle the program creates has one.

#include <windows.h>

#include <commctrl.h>

#include <utility>

namespace quenora::win32 {

template <typename T, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  T get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  T release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(T handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  T handle_ = Traits::Invalid();
};

struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
struct BitmapTraits {
  static HBITMAP Invalid() { return nullptr; }
  static void Close(HBITMAP h) { DeleteObject(h); }
};
// A memory device context (CreateCompatibleDC), not one of a window.
struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static void Close(HDC dc) { DeleteDC(dc); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Close(HWND h) { DestroyWindow(h); }
};
struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
// CreateFile's failure is INVALID_HANDLE_VALUE, not null.
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

struct FontTraits {
  static HFONT Invalid() { return nullptr; }
  static void Close(HFONT h) { DeleteObject(h); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct ImageListTraits {
  static HIMAGELIST Invalid() { return nullptr; }
  static void Close(HIMAGELIST h);  // comctl32 is loaded on demand: UiParts.cpp
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
// RegisterEventSource's handle, let go with DeregisterEventSource.
struct EventSourceTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { DeregisterEventSource(h); }
};
struct CursorTraits {
  static HCURSOR Invalid() { return nullptr; }
  static void Close(HCURSOR h) { DestroyCursor(h); }
};

using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;
using UniqueCursor = UniqueHandle<HCURSOR, CursorTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;
using UniqueEventSource = UniqueHandle<HANDLE, EventSourceTraits>;

}  // namespace quenora::win32
