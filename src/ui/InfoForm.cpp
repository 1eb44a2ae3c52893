#include "ui/InfoForm.h"

#include <commctrl.h>
#include <olectl.h>

#include <cstring>

#include <string>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowGeometry.h"
#include "resource.h"
#include "ui/Form1Layout.h"
#include "ui/InfoFormTexts.h"

namespace quenora::win32 {

using namespace infoform;

namespace {

constexpr ControlSpec kControls[] = {
    {kImage1,
     ControlKind::ScaledPicture,
     "Weitere Tarnwick-Programme kennenlernen",
     {90, 180, 915, 6135}},
    {kLabel, ControlKind::Label, "", {1140, 120, 8115, 5415}, 0, false, L"Arial", 975},
    {kLine1, ControlKind::Line, "", {1140, 5580, 8160, 30}},
    // Element numbers, not the order on the screen, choose the action; Tab goes 1, 0, 3.
    {kBtn + 1,
     ControlKind::WrappingButton,
     "Auf Tarnwick nach neuer &Version dieser Software suchen",
     {1140, 5700, 2655, 555}},
    {kBtn + 0,
     ControlKind::WrappingButton,
     "&E-Mail an Tarnwick schreiben",
     {6480, 5700, 1575, 555}},
    {kBtn + 3, ControlKind::WrappingButton, "&Fenster schliessen", {8190, 5700, 1125, 555}},
};

}  // namespace

std::span<const ControlSpec> InfoFormControls() {
  return kControls;
}

// The picture loader lives in ole32 and oleaut32: loaded when the About dialog first opens, not
// with the program; they then stay loaded.
UniqueBitmap LoadJpegResource(HINSTANCE instance, int id) {
  // The system's picture loader reads JPEG from a stream; the bitmap it makes belongs to the
  // picture object, so the dialog keeps a copy of its own.
  static const auto createStream =
      SystemFunction<decltype(CreateStreamOnHGlobal)>(L"ole32.dll", "CreateStreamOnHGlobal");
  static const auto loadPicture =
      SystemFunction<decltype(OleLoadPicture)>(L"oleaut32.dll", "OleLoadPicture");
  if (!createStream || !loadPicture) return UniqueBitmap();
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RCDATA
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = found ? SizeofResource(instance, found) : 0;
  if (!data || size == 0) return UniqueBitmap();
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return UniqueBitmap();
  std::memcpy(GlobalLock(copy), data, size);
  GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (FAILED(createStream(copy, TRUE, &stream))) {
    GlobalFree(copy);
    return UniqueBitmap();
  }
  IPicture* picture = nullptr;
  UniqueBitmap bitmap;
  if (SUCCEEDED(loadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(&picture)))) {
    OLE_HANDLE handle = 0;
    if (SUCCEEDED(picture->get_Handle(&handle))) {
      bitmap.reset(
          static_cast<HBITMAP>(CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)),
                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    }
    picture->Release();
  }
  stream->Release();
  return bitmap;
}

InfoForm::InfoForm(HINSTANCE instance, HWND owner, HelpLinks& links)
    : Window(instance, owner, {kDialogClass, kClientWidth, kClientHeight, kControls}),
      links_(links) {}

void InfoForm::ShowInfo() {
  if (hWnd()) {
    // Open already: to the front, as it is.
    ShowWindow(hWnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hWnd());
    return;
  }
  if (Load()) Show();
}

bool InfoForm::Form_Load() {
  HWND window = hWnd();
  // 1. A small screen gets the dialog at its corner, others have it in the middle.
  WindowGeometry geometry(window);
  const int dpi = Dpi();
  const int screenWidth = static_cast<int>(geometry.ScreenWidth() * dpi / 1440);
  const int screenHeight = static_cast<int>(geometry.ScreenHeight() * dpi / 1440);
  if (InfoFormAtScreenCorner(screenWidth, screenHeight)) {
    geometry.SetLeft(0);
    geometry.SetTop(0);
  } else {
    SettingsStore::CenterFormOnScreen(geometry);
  }
  // 2. and 3.
  SetWindowTextW(window, Widen(InfoFormCaption()).c_str());
  SetWindowTextW(Control(kLabel), Widen(InfoFormText()).c_str());
  if (HWND owner = Owner()) {
    const auto icon = GetClassLongPtrW(owner, GCLP_HICONSM);
    SendMessageW(window, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icon));
  }

  banner_ = LoadJpegResource(Instance(), IDB_ABOUT_BANNER);
  SetPicture(kImage1, banner_.get());
  tooltip_ = CreateControlTooltip(window, Control(kImage1), kImage1Tooltip, MulDiv(300, dpi, 96));
  return true;
}

void InfoForm::Control_Command(int id, int code) {
  if (code == BN_CLICKED && id >= kBtn && id <= kBtn + 3) Btn_Click(id - kBtn);
  if (code == STN_CLICKED && id == kImage1) Image1_Click();
}

void InfoForm::Btn_Click(int index) {
  switch (index) {
    case 0:
      // The mail program starts a new message in a normal window.
      links_.OpenDocument(SupportMailLink(links_.GetWindowsVersionText()), 0);
      break;
    case 1:
      links_.OpenUpdateCheck();
      break;
    case 3:
      Unload(kClosedByUser);
      break;
    default:
      break;
  }
}

void InfoForm::Image1_Click() {
  links_.OpenVendorSite();
}

}  // namespace quenora::win32
