#include "platform/win32/UiParts.h"

#include <commctrl.h>

#include <string>

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

UniqueWindow CreateControlTooltip(HWND owner, HWND control, std::string_view text,
                                  int maxWidthPixels) {
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

}  // namespace quenora::win32
