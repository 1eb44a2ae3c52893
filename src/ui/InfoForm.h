#pragma once
// InfoForm: the About dialog, modeless, with the vendor's banner and three buttons.

#include <windows.h>

#include <span>

#include "help/HelpLinks.h"
#include "settings/SettingsStore.h"
#include "ui/Window.h"

namespace quenora::win32 {

namespace infoform {
inline constexpr int kImage1 = 300;
inline constexpr int kLabel = 310;  // Label(0)
inline constexpr int kLine1 = 320;
inline constexpr int kBtn = 330;  // Btn(i) is kBtn + i
inline constexpr int kClientWidth = 9390;
inline constexpr int kClientHeight = 6360;
}  // namespace infoform

// A JPEG picture of the program's resources as a bitmap; null if it can't be read.
UniqueBitmap LoadJpegResource(HINSTANCE instance, int id);

// The dialog's controls in twips, in tab order.
std::span<const ControlSpec> InfoFormControls();

class InfoForm final : public Window {
 public:
  InfoForm(HINSTANCE instance, HWND owner, HelpLinks& links);

  // Shows the dialog; one that is open already only comes to the front.
  void ShowInfo();

  // Btn by element number: 0 the support mail, 1 the update check, 3 close.
  void Btn_Click(int index);
  void Image1_Click();

 private:
  bool Form_Load() override;
  void Control_Command(int id, int code) override;

  HelpLinks& links_;
  UniqueBitmap banner_;
  UniqueWindow tooltip_;
};

}  // namespace quenora::win32
