#include "ui/WindowClasses.h"

#include <commctrl.h>

#include "resource.h"

namespace quenora::win32 {

namespace {

// A drop-down list's window reaches down over its open list: room for this many rows below
// the closed box, whose own height follows the font.
constexpr int kDroppedRows = 5;

}  // namespace

void RegisterWindowClasses(HINSTANCE instance, const wchar_t* className, WNDPROC windowProc,
                           WNDPROC layerProc) {
  // Registering again in the same process fails harmlessly.
  WNDCLASSEXW window{};
  window.cbSize = sizeof window;
  window.lpfnWndProc = windowProc;
  window.hInstance = instance;
  window.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window.lpszClassName = className;
  RegisterClassExW(&window);

  WNDCLASSEXW layer = window;
  layer.lpfnWndProc = layerProc;
  layer.lpszClassName = kLayerClass;
  RegisterClassExW(&layer);

  WNDCLASSEXW owner = window;
  owner.lpfnWndProc = DefWindowProcW;
  owner.lpszClassName = kOwnerClass;
  RegisterClassExW(&owner);

  // Painted whole by its window, without a background of its own to flicker.
  WNDCLASSEXW canvas = owner;
  canvas.hbrBackground = nullptr;
  canvas.lpszClassName = kCanvasClass;
  RegisterClassExW(&canvas);
}

ControlClass ClassOf(ControlKind kind) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case ControlKind::TabStrip:
      // Clipped by the pages lying on it, so it never paints over them.
      return {WC_TABCONTROLW, child | WS_TABSTOP | WS_CLIPSIBLINGS | TCS_TOOLTIPS, 0};
    case ControlKind::Layer:
      // Hidden until shown, not clipping its children: a page's frame is a group box, which
      // leaves its inside for the page to paint.
      return {kLayerClass, WS_CHILD, WS_EX_CONTROLPARENT};
    case ControlKind::Frame:
      return {L"BUTTON", child | BS_GROUPBOX, 0};
    case ControlKind::Icon:
      return {L"STATIC", child | SS_ICON | SS_REALSIZEIMAGE, 0};
    case ControlKind::Picture:
      // Drawn by the window: a bitmap static would stretch the picture or fill the rest of
      // the control with the picture's corner colour.
      return {L"STATIC", child | SS_OWNERDRAW, 0};
    case ControlKind::ScaledPicture:
    case ControlKind::Logo:
      return {L"STATIC", child | SS_OWNERDRAW | SS_NOTIFY, 0};
    case ControlKind::Label:
      return {L"STATIC", child | SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::CenteredLabel:
      return {L"STATIC", child | SS_CENTER | SS_NOPREFIX, 0};
    case ControlKind::FieldLabel:
      return {L"STATIC", child | SS_LEFT, 0};
    case ControlKind::Line:
      return {L"STATIC", child | SS_ETCHEDHORZ, 0};
    case ControlKind::ListView:
      // Shares its image lists: they belong to the window, which replaces them on a DPI
      // change and destroys them once, after the list has gone.
      return {WC_LISTVIEWW,
              child | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                  LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
              WS_EX_CLIENTEDGE};
    case ControlKind::ReportList:
      // The headers only name the columns; the window decides the rows' order.
      return {
          WC_LISTVIEWW,
          child | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
          WS_EX_CLIENTEDGE};
    case ControlKind::ProgressBar:
      // Hidden until something runs.
      return {PROGRESS_CLASSW, WS_CHILD | PBS_MARQUEE, 0};
    case ControlKind::Slider:
      return {TRACKBAR_CLASSW, child | WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS, 0};
    case ControlKind::CheckBox:
      return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Button:
      return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::WrappingButton:
      return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
    case ControlKind::DefaultButton:
      return {L"BUTTON", child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0};
    case ControlKind::RadioButton:
      // Checking one takes the tab stop from the others of its group, so Tab lands on the
      // chosen one and the arrow keys move the choice.
      return {L"BUTTON", child | WS_TABSTOP | BS_AUTORADIOBUTTON, 0};
    case ControlKind::Edit:
      return {L"EDIT", child | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::DropDownList:
      return {L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::Canvas:
      return {kCanvasClass, child | WS_TABSTOP, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", child, 0};
}

int HeightInTwips(const ControlSpec& row, const TwipsRect& rect) {
  return row.kind == ControlKind::DropDownList ? rect.height * (1 + kDroppedRows) : rect.height;
}

HICON ProgramIcon(HINSTANCE instance, IconSize size) {
  // Loaded when first wanted, not at the start: its pictures are PNG, and decoding them would
  // load the system's image codecs into a program that sits in the tray.
  if (size == IconSize::Large) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0,
                                         LR_DEFAULTSIZE | LR_SHARED));
  }
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       LR_SHARED));
}

}  // namespace quenora::win32
