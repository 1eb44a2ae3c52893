#pragma once
// The options window's controls: the tab strip with its four pages, the buttons and the logo,
// with their fonts and pictures. Built on the window when it is first shown, they show the
// options between two applies and give back what the user set in them.

#include <windows.h>

#include <array>

#include "platform/win32/Handles.h"
#include "settings/OptionsValues.h"
#include "ui/Form1Layout.h"

namespace quenora::win32 {

class OptionsPages {
 public:
  OptionsPages() = default;
  OptionsPages(const OptionsPages&) = delete;
  OptionsPages& operator=(const OptionsPages&) = delete;

  // Builds the controls on `window` at `dpi`, the pages on one another with the first one
  // shown, and shows `options` in them. Only the first call builds.
  void Build(HWND window, HINSTANCE instance, int dpi, const OptionsValues& options);
  bool Built() const { return window_ != nullptr; }
  // A control by its id; null while the pages aren't built.
  HWND Control(int id) const;

  // The sliders with their labels, the check boxes and the drive list, made anew.
  void Show(const OptionsValues& options);
  // What the user set: the sliders' positions, the check boxes, the drives' check marks.
  void ReadBack(OptionsValues& options) const;
  void ShowAutoStartChk(bool checked);

  // Write the slider's value into the label under it.
  void RefreshIntervalDisplay();
  void RefreshLimitDisplay();
  // Inverts the check mark of the selected drive; with none selected there is nothing to do.
  void ToggleSelectedDrive();
  // Shows Layer(index) and hides the others; an index outside 1..4 hides every page.
  void ShowLayer(int index);
  // The page shown, 1..4, or 0 when none is.
  int VisibleLayer() const;

  // The same twips at another DPI: places, fonts and pictures.
  void OnDpiChanged(int dpi);
  void DrawLogo(const DRAWITEMSTRUCT& item) const;
  HCURSOR HandPointer() const { return handPointer_.get(); }
  // The window is being destroyed, the drive list with it.
  void OnDestroy();

 private:
  static LRESULT CALLBACK LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateFonts();
  void LoadPictures();
  HWND CreateControl(const ControlSpec& row);
  void CreateControls();
  // All pages on the place of the first, the first one shown.
  void PlacePages();
  bool LVChecked(int index) const;
  void SetLVChecked(int index, bool checked);
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }

  HWND window_ = nullptr;  // set when built
  HINSTANCE instance_ = nullptr;
  int dpi_ = 96;
  UniqueFont font_, boldFont_, logoFont_, logoSmallFont_, logoTaglineFont_;
  std::array<UniqueIcon, form1::kPageCount> pagePictures_;
  UniqueIcon emblem_;
  UniqueImageList imageList1_;
  UniqueCursor handPointer_;
  UniqueWindow tooltip_;
};

}  // namespace quenora::win32
