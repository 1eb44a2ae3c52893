#pragma once
// DriveLimitDialog: "Alarmgrenze für Laufwerk D:", a drive's own alarm limit and early level.

#include <windows.h>

#include <optional>
#include <span>

#include "ui/DriveLimitChoice.h"
#include "ui/Window.h"

namespace quenora::win32 {

namespace drivelimit {
inline constexpr int kAllDrivesOpt = 400;
inline constexpr int kOwnLimitOpt = 401;
inline constexpr int kLimitTxt = 402;
inline constexpr int kLimitUnitCmb = 403;
inline constexpr int kLimitPreviewLbl = 404;
inline constexpr int kEarlyChk = 405;
inline constexpr int kEarlyTxt = 406;
inline constexpr int kEarlyUnitCmb = 407;
inline constexpr int kEarlyPreviewLbl = 408;
inline constexpr int kEarlyNoteLbl = 409;
inline constexpr int kMessageLbl = 410;
inline constexpr int kOKButton = 411;
inline constexpr int kCancelButton = 412;
inline constexpr int kLimitNumberLbl = 413;
inline constexpr int kLimitUnitLbl = 414;
inline constexpr int kEarlyNumberLbl = 415;
inline constexpr int kEarlyUnitLbl = 416;
inline constexpr int kClientWidth = 6300;
inline constexpr int kClientHeight = 3495;
}  // namespace drivelimit

// The dialog's controls in twips, in tab order.
std::span<const ControlSpec> DriveLimitDialogControls();

class DriveLimitDialog final : public Window {
 public:
  // `owner` is the options window, whose icon the dialog takes.
  DriveLimitDialog(HINSTANCE instance, HWND owner);

  // Shows the dialog modally over its owner; the user's choice after OK, nothing after
  // Abbrechen, Escape or the close box.
  std::optional<DriveLimitChoice> ShowModal(const DriveLimitQuestion& question);

 private:
  bool Form_Load() override;
  void Control_Command(int id, int code) override;
  // The form as it stands, read from the controls.
  DriveLimitForm ReadForm() const;
  // Previews, message, the fields in use and OK, after any change of the form.
  DriveLimitFormState Form_Change();
  void OKButton_Click();

  DriveLimitQuestion question_;
  std::optional<DriveLimitChoice> choice_;
  bool loading_ = false;
};

}  // namespace quenora::win32
