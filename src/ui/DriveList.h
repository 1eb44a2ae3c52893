#pragma once
// The drive list LV of the options window: its entries with their check marks and states, its
// info tips, its context menu and its keys. It tells the window what the user did there.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/OptionsValues.h"
#include "ui/Window.h"

namespace quenora::win32 {

// What the user did on the options pages, beyond what the pages did themselves: nothing the
// window hears of (None), a key the pages took (Taken), another page chosen on the tab strip,
// a double-click on a drive's entry, Enter on it, or its context menu asked for by key.
enum class PageEvent { None, Taken, TabChanged, DriveDblClick, DriveEnter, DriveMenu };

// A notification's answer, and what it meant.
struct PageNote {
  PageEvent event = PageEvent::None;
  LRESULT result = 0;
};

// What was chosen in a drive's context menu.
struct DriveMenuChoice {
  enum class Item { None, Limit, Scan, History };
  Item item = Item::None;
  char letter = 0;  // the drive's, 'D'
};

class DriveList {
 public:
  explicit DriveList(Window& window) : window_(window) {}
  DriveList(const DriveList&) = delete;
  DriveList& operator=(const DriveList&) = delete;

  // Sets up the new list: check boxes, info tips, and its two columns.
  void Build();
  // The columns at the window's new size.
  void FitColumns();
  // The entries made anew, checked as `drives` say.
  void Show(const std::vector<DriveEntry>& drives);
  // The entries with their check marks as the user set them.
  std::vector<DriveEntry> Entries() const;
  // Each drive's state beside its entry, in the entries' order ("12,3 GB = 45%").
  void ShowStates(const std::vector<std::string>& states);
  // While locked the user can't change a check mark.
  void LockChecks(bool locked) { checksLocked_ = locked; }
  // Inverts the check mark of the selected drive; with none selected there is nothing to do.
  void ToggleSelected();

  // The list's notification, answered; a double-click on an entry, not on its check box, is
  // the window's.
  PageNote OnNotify(const NMHDR& header);
  // Enter, and Shift+F10 or the menu key on the list: the window's; their release is taken.
  PageEvent TranslateKey(const MSG& message) const;
  // The context menu of the entry at `mouse` (screen coordinates), or of the selected entry
  // from the keyboard, and what was chosen. The drive's own levels can't be set where
  // `levelsFixed`.
  DriveMenuChoice ContextMenu(std::optional<POINT> mouse, bool levelsFixed);

 private:
  HWND List() const;
  std::wstring EntryText(int index, int column) const;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);

  Window& window_;
  bool checksLocked_ = false;
  bool showing_ = false;  // the list sets the check marks itself
};

}  // namespace quenora::win32
