#pragma once
// The options window's pages: the tab strip with its four pages, the buttons and the logo, with
// their pictures. Set up once the window has built its controls, when it is first shown, they
// show the options between two applies and give back what the user set in them.

#include <windows.h>

#include <array>
#include <string>

#include "platform/win32/Handles.h"
#include "settings/OptionsValues.h"
#include "settings/Policies.h"
#include "ui/DriveList.h"
#include "ui/Form1Layout.h"
#include "ui/Window.h"

namespace quenora::win32 {

class OptionsPages {
 public:
  explicit OptionsPages(Window& window) : window_(window), drives_(window) {}
  OptionsPages(const OptionsPages&) = delete;
  OptionsPages& operator=(const OptionsPages&) = delete;

  // Sets up the window's new controls: the tabs, the pictures, the sliders' ranges, the drive
  // list and the logo's tooltip; shows the first page and `options` in the controls.
  void Build(const OptionsValues& options);
  bool Built() const { return built_; }

  // The sliders with their labels, the check boxes and the drive list, made anew.
  void Show(const OptionsValues& options);
  // What the user set: the sliders' positions, the check boxes, the drives' check marks.
  void ReadBack(OptionsValues& options) const;
  void ShowAutoStartChk(bool checked);
  // Locks the controls of the settings that `policies` fix, each page with a line saying so;
  // the drive list's check marks are locked where the drives are fixed.
  void ShowPolicies(const Policies& policies);
  // The drive list LV, on the first page.
  DriveList& Drives() { return drives_; }

  // Write the slider's value into the label under it.
  void RefreshIntervalDisplay();
  void RefreshLimitDisplay();
  // Shows Layer(index) and hides the others; an index outside 1..4 hides every page.
  void ShowLayer(int index);
  // The page shown, 1..4, or 0 when none is.
  int VisibleLayer() const;

  // The pictures at the window's new DPI.
  void OnDpiChanged();
  void DrawLogo(const DRAWITEMSTRUCT& item) const;
  // The window is being destroyed, the drive list with it.
  void OnDestroy();

  // A notification from a control of the pages, answered: the tab strip's, its tooltips' and
  // the drive list's.
  PageNote OnNotify(const NMHDR& header);
  // A key before the dialog manager sees it: Tab and Shift+Tab walk the pages' own order,
  // Ctrl+Tab turns the pages, and the drive list's keys. None: not the pages' key.
  PageEvent TranslateKey(const MSG& message);

 private:
  // The logo's fonts and the pictures at the window's DPI, shown in their controls.
  void LoadPictures();
  HWND Control(int id) const { return window_.Control(id); }
  void MoveFocus(bool backwards);

  Window& window_;
  DriveList drives_;
  bool built_ = false;
  // The tab strip's tooltips, as last asked for.
  std::array<std::wstring, form1::kPageCount> tabTips_;
  UniqueFont logoFont_, logoSmallFont_, logoTaglineFont_;
  std::array<UniqueIcon, form1::kPageCount> pagePictures_;
  UniqueIcon emblem_;
  UniqueImageList imageList1_;
  UniqueWindow tooltip_;
};

}  // namespace quenora::win32
