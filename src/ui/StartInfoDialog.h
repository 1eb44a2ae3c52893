#pragma once
// StartInfoDialog: the start hint's window, with the banner, the text, the box and OK.

#include <windows.h>

#include <span>
#include <string_view>

#include "settings/SettingsStore.h"
#include "ui/StartInfo.h"
#include "ui/Window.h"

namespace quenora::win32 {

namespace startinfo {
inline constexpr int kImage1 = 200;
inline constexpr int kInfoLbl = 201;
inline constexpr int kOKButton = 202;
inline constexpr int kNeverShowAgainChk = 203;
inline constexpr int kClientWidth = 4155;
inline constexpr int kClientHeight = 2895;
}  // namespace startinfo

// The dialog's controls in twips, in tab order.
std::span<const ControlSpec> StartInfoDialogControls();

class StartInfoDialog final : public Window, public StartInfoView {
 public:
  // `owner` is the main window, whose icon the dialog takes; null gives the program's icon.
  StartInfoDialog(HINSTANCE instance, HWND owner);

  // Loads the dialog, shows `text` in it and returns once the user has closed it.
  StartInfoAnswer ShowModal(std::string_view text) override;

 private:
  bool Form_Load() override;
  void Control_Command(int id, int code) override;
  void OKButton_Click();

  UniqueBitmap banner_;
  StartInfoAnswer answer_;
};

// The start's call: shows `text` over `owner` unless the user turned the hint `identifier` off
// for this version, and returns when the dialog is closed.
void ShowStartInfo(HINSTANCE instance, HWND owner, SettingsStore& store, std::string_view text,
                   std::string_view identifier);

}  // namespace quenora::win32
