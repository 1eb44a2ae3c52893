#include "platform/win32/UiParts.h"

#include <commctrl.h>
#include <wincodec.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"

namespace quenora::win32 {

UniqueFont CreateUiFont(int dpi, bool bold, const wchar_t* face, int centiPoints) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(centiPoints, dpi, 7200);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  wcscpy_s(font.lfFaceName, face);
  return UniqueFont(CreateFontIndirectW(&font));
}

void KeepMoveAndCloseOnly(HWND window) {
  if (HMENU system = GetSystemMenu(window, FALSE)) {
    for (const UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) {
      DeleteMenu(system, command, MF_BYCOMMAND);
    }
  }
}

void FitClientArea(HWND window, int width, int height) {
  RECT outer{}, client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int dx = width - client.right, dy = height - client.bottom;
  if (dx == 0 && dy == 0) return;
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool LoadCommonControls() {
  static const bool ready = [] {
    const auto initialize =
        SystemFunction<decltype(InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    return initialize && initialize(&controls);
  }();
  return ready;
}

HIMAGELIST CreateImageList(int width, int height, UINT flags, int initial, int grow) {
  static const auto create =
      SystemFunction<decltype(ImageList_Create)>(L"comctl32.dll", "ImageList_Create");
  return LoadCommonControls() && create ? create(width, height, flags, initial, grow) : nullptr;
}

int AddIconToImageList(HIMAGELIST list, HICON icon) {
  static const auto replace =
      SystemFunction<decltype(ImageList_ReplaceIcon)>(L"comctl32.dll", "ImageList_ReplaceIcon");
  return list && replace ? replace(list, -1, icon) : -1;  // -1 as index: added at the end
}

void DestroyImageList(HIMAGELIST list) {
  static const auto destroy =
      SystemFunction<decltype(ImageList_Destroy)>(L"comctl32.dll", "ImageList_Destroy");
  if (list && destroy) destroy(list);
}

void ImageListTraits::Close(HIMAGELIST h) {
  DestroyImageList(h);
}

// Taken from the DLL when a window is first built, so that a program in the tray doesn't load
// it (nor a copy of it beside the exe) at start.
BOOL Subclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  static const auto set =
      SystemFunction<decltype(SetWindowSubclass)>(L"comctl32.dll", "SetWindowSubclass");
  return set ? set(window, proc, id, data) : FALSE;
}
void Unsubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  static const auto remove =
      SystemFunction<decltype(RemoveWindowSubclass)>(L"comctl32.dll", "RemoveWindowSubclass");
  if (remove) remove(window, proc, id);
}
LRESULT DefaultSubclassed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const auto next =
      SystemFunction<decltype(DefSubclassProc)>(L"comctl32.dll", "DefSubclassProc");
  return next ? next(window, message, wParam, lParam)
              : DefWindowProcW(window, message, wParam, lParam);
}

UniqueWindow CreateControlTooltip(HWND owner, HWND control, std::string_view text,
                                  int maxWidthPixels) {
  LoadCommonControls();
  UniqueWindow tooltip(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                       WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                       nullptr, nullptr));
  std::wstring tip = Widen(text);  // the tooltip keeps a copy
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = tip.data();
  SendMessageW(tooltip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip.get(), TTM_SETMAXTIPWIDTH, 0, maxWidthPixels);
  return tooltip;
}

namespace {

// Releases a COM object when it goes.
template <typename Interface>
struct ComPtr {
  Interface* p = nullptr;
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p) p->Release();
  }
  Interface* operator->() const { return p; }
};

}  // namespace

UniqueBitmap LoadPngResource(HINSTANCE instance, int id) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RCDATA
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = found ? SizeofResource(instance, found) : 0;
  if (!data || size == 0) return UniqueBitmap();

  // The system's picture decoder (WIC) is a COM object: COM is needed on this thread while it
  // works, and is let go after (if it ran before, it stays as it was). COM's DLL is loaded
  // when a picture is first wanted, not with the program.
  static const auto initialize =
      SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
  static const auto create =
      SystemFunction<decltype(CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
  static const auto uninitialize =
      SystemFunction<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize");
  if (!initialize || !create || !uninitialize) return UniqueBitmap();
  const HRESULT com = initialize(nullptr, COINIT_APARTMENTTHREADED);
  UniqueBitmap bitmap;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (SUCCEEDED(create(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.p))) &&
        SUCCEEDED(factory->CreateStream(&stream.p)) &&
        SUCCEEDED(
            stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream.p, nullptr,
                                                   WICDecodeMetadataCacheOnDemand, &decoder.p)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame.p)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter.p)) &&
        SUCCEEDED(converter->Initialize(frame.p, GUID_WICPixelFormat24bppBGR,
                                        WICBitmapDitherTypeNone, nullptr, 0.0,
                                        WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&width, &height)) && width > 0 && height > 0 &&
        width <= 4096 && height <= 4096) {
      // Rows of blue, green, red, padded to four bytes: a bottom-up DIB section, as LoadImage
      // makes of a 24-bit bitmap.
      const UINT stride = (width * 3 + 3) / 4 * 4;
      std::vector<BYTE> pixels(static_cast<std::size_t>(stride) * height);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = static_cast<LONG>(width);
      info.bmiHeader.biHeight = static_cast<LONG>(height);
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 24;
      info.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      UniqueBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
      if (dib && bits &&
          SUCCEEDED(converter->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()),
                                          pixels.data()))) {
        for (UINT row = 0; row < height; ++row) {
          std::memcpy(
              static_cast<BYTE*>(bits) + static_cast<std::size_t>(height - 1 - row) * stride,
              pixels.data() + static_cast<std::size_t>(row) * stride, stride);
        }
        GdiFlush();
        bitmap = std::move(dib);
      }
    }
  }
  if (SUCCEEDED(com)) uninitialize();
  return bitmap;
}

}  // namespace quenora::win32
