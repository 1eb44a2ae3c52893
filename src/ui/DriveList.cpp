#include "ui/DriveList.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "ui/Form1Layout.h"

namespace quenora::win32 {

using namespace form1;

namespace {

// The drive list's column fills the list but for the room of a scroll bar.
// The entry takes a little less than half of the list's width, the drive's state the rest.
int DriveColumnWidth(HWND list) {
  RECT client{};
  GetClientRect(list, &client);
  return (client.right - GetSystemMetrics(SM_CXVSCROLL)) * 9 / 20;
}
int StateColumnWidth(HWND list) {
  RECT client{};
  GetClientRect(list, &client);
  return client.right - GetSystemMetrics(SM_CXVSCROLL) - DriveColumnWidth(list);
}

}  // namespace

HWND DriveList::List() const {
  return window_.Control(kLV);
}

void DriveList::Build() {
  HWND list = List();
  // The info tip gives an entry's whole state where the column cuts it.
  const LPARAM extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, static_cast<WPARAM>(extended), extended);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = DriveColumnWidth(list);
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  column.cx = StateColumnWidth(list);
  SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
}

void DriveList::FitColumns() {
  HWND list = List();
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, DriveColumnWidth(list));
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, StateColumnWidth(list));
}

void DriveList::Show(const std::vector<DriveEntry>& drives) {
  HWND list = List();
  showing_ = true;
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (const DriveEntry& entry : drives) {
    std::wstring caption = Widen(entry.text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = caption.data();
    item.iImage = 0;  // the one drive picture of ImageList1
    const auto index = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (entry.checked) SetChecked(static_cast<int>(index), true);
  }
  showing_ = false;
  // The entries as wide as they need, the drives' states the rest.
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
  const int entryWidth = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1,
               std::max(DriveColumnWidth(list) + StateColumnWidth(list) - entryWidth, 0));
}

std::wstring DriveList::EntryText(int index, int column) const {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 512;
  SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
  return buffer;
}

std::vector<DriveEntry> DriveList::Entries() const {
  const int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
  std::vector<DriveEntry> entries(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    entries[static_cast<std::size_t>(i)] = {Narrow(EntryText(i, 0)), Checked(i)};
  }
  return entries;
}

void DriveList::ShowStates(const std::vector<std::string>& states) {
  HWND list = List();
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count && i < static_cast<int>(states.size()); ++i) {
    std::wstring text = Widen(states[static_cast<std::size_t>(i)]);
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

void DriveList::ToggleSelected() {
  const int selected = static_cast<int>(
      SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected < 0 || checksLocked_) return;  // nothing selected, nothing to toggle
  SetChecked(selected, !Checked(selected));
}

bool DriveList::Checked(int index) const {
  const auto state =
      SendMessageW(List(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void DriveList::SetChecked(int index, bool checked) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

PageNote DriveList::OnNotify(const NMHDR& header) {
  if (header.idFrom != static_cast<UINT_PTR>(kLV)) return {};
  if (header.code == LVN_ITEMCHANGING) {
    // A check mark while they are locked is refused.
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    const bool refused = checksLocked_ && !showing_ && (change.uChanged & LVIF_STATE) &&
                         ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK);
    return {PageEvent::None, refused ? TRUE : FALSE};
  }
  if (header.code == NM_DBLCLK) {
    // A double-click on the check box itself has toggled it already, as a click does.
    const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
    LVHITTESTINFO hit{};
    hit.pt = activate.ptAction;
    SendMessageW(header.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return {(hit.flags & LVHT_ONITEMSTATEICON) ? PageEvent::None : PageEvent::DriveDblClick, 0};
  }
  if (header.code == LVN_GETINFOTIPW) {
    // The entry with its whole state: "Z: 69,6 GB = 28%, Grenze 10 %".
    auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(&header));
    const int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    if (tip.iItem >= 0 && tip.iItem < count && tip.pszText && tip.cchTextMax > 0) {
      const std::wstring state = EntryText(tip.iItem, 1);
      std::wstring text = EntryText(tip.iItem, 0);
      if (!state.empty()) text += L" \x2013 " + state;
      lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
    }
  }
  return {};
}

PageEvent DriveList::TranslateKey(const MSG& message) const {
  if (message.hwnd != List()) return PageEvent::None;
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) return PageEvent::DriveEnter;
  // Shift+F10 and the menu key open the list's menu here, once: the key's release would bring
  // a second one through the list's own handling.
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool keyUp = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  if ((keyDown || keyUp) &&
      (message.wParam == VK_APPS || (message.wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0))) {
    return keyDown ? PageEvent::DriveMenu : PageEvent::Taken;
  }
  return PageEvent::None;
}

DriveMenuChoice DriveList::ContextMenu(std::optional<POINT> mouse, bool levelsFixed) {
  HWND list = List();
  if (!list) return {};
  int item = -1;
  POINT at{};
  if (mouse) {
    LVHITTESTINFO hit{};
    hit.pt = *mouse;
    ScreenToClient(list, &hit.pt);
    item = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    at = *mouse;
  } else {
    item = static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RECT rect{};
    rect.left = LVIR_LABEL;
    if (item >= 0 && SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item),
                                  reinterpret_cast<LPARAM>(&rect))) {
      at = {rect.left, rect.bottom};
      ClientToScreen(list, &at);
    }
  }
  if (item < 0 || item >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))) return {};
  const std::wstring entry = EntryText(item, 0);
  if (entry.empty() || entry[0] < L'A' || entry[0] > L'Z') return {};
  const char letter = static_cast<char>(entry[0]);

  constexpr UINT kDriveLimitItem = 1, kScanItem = 2, kHistoryItem = 3;
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return {};
  AppendMenuW(menu.get(), MF_STRING, kScanItem,
              Widen("&Was belegt Platz auf " + std::string{letter, ':'} + "?").c_str());
  AppendMenuW(menu.get(), MF_STRING, kHistoryItem,
              Widen("&Verlauf von " + std::string{letter, ':'} + " \xE2\x80\xA6").c_str());
  // The dialog sets both levels: where a policy fixes either, it can't be opened.
  AppendMenuW(
      menu.get(), MF_STRING | (levelsFixed ? MF_GRAYED : 0u), kDriveLimitItem,
      Widen("&Alarmgrenze f\xC3\xBCr " + std::string{letter, ':'} + " \xE2\x80\xA6").c_str());
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       at.x, at.y, 0, window_.hWnd(), nullptr));
  if (chosen == kDriveLimitItem) return {DriveMenuChoice::Item::Limit, letter};
  if (chosen == kScanItem) return {DriveMenuChoice::Item::Scan, letter};
  if (chosen == kHistoryItem) return {DriveMenuChoice::Item::History, letter};
  return {};
}

}  // namespace quenora::win32
