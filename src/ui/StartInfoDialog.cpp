#include "ui/StartInfoDialog.h"

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "resource.h"
#include "util/ProgramIdentity.h"

namespace quenora::win32 {

using namespace startinfo;

namespace {

// OK comes first for the keyboard, though it sits below the box.
constexpr ControlSpec kControls[] = {
    {kImage1,
     ControlKind::Picture,
     "Infobereich der Taskleiste mit den Laufwerkssymbolen",
     {75, 90, 4020, 1020}},
    {kInfoLbl, ControlKind::CenteredLabel, "", {75, 1230, 3990, 765}, 0, true},
    {kOKButton, ControlKind::DefaultButton, "&OK", {1162, 2430, 1830, 375}},
    {kNeverShowAgainChk,
     ControlKind::CheckBox,
     "Diesen &Hinweis in Zukunft nicht mehr anzeigen",
     {75, 1995, 3990, 375}},
};

constexpr int kOkResult = 1;

}  // namespace

std::span<const ControlSpec> StartInfoDialogControls() {
  return kControls;
}

StartInfoDialog::StartInfoDialog(HINSTANCE instance, HWND owner)
    : Window(instance, owner, {kDialogClass, kClientWidth, kClientHeight, kControls}) {}

StartInfoAnswer StartInfoDialog::ShowModal(std::string_view text) {
  answer_ = {};
  if (!Load()) return answer_;
  // The caller's text as it is: the label shows an ampersand rather than underlining.
  SetWindowTextW(Control(kInfoLbl), Widen(text).c_str());
  const int result = RunModal();
  answer_.okPressed = result == kOkResult;
  return answer_;
}

bool StartInfoDialog::Form_Load() {
  HWND window = hWnd();
  // The main window's icon; it is the class icon of its window.
  TakeOwnersIcons();
  SetWindowTextW(window, Widen(kProductName).c_str());

  // A DIB section keeps the banner's colours exactly as drawn, whatever the screen's depth.
  banner_ = LoadPngResource(Instance(), IDB_START_BANNER);
  SetPicture(kImage1, banner_.get());
  MessageBeep(MB_OK);
  return true;
}

void StartInfoDialog::Control_Command(int id, int code) {
  if (id == kOKButton && code == BN_CLICKED) OKButton_Click();
}

void StartInfoDialog::OKButton_Click() {
  // The box is read now: the window and its controls go with the unload.
  answer_.neverShowAgain =
      SendMessageW(Control(kNeverShowAgainChk), BM_GETCHECK, 0, 0) == BST_CHECKED;
  Unload(kOkResult);
}

void ShowStartInfo(HINSTANCE instance, HWND owner, SettingsStore& store, std::string_view text,
                   std::string_view identifier) {
  StartInfoDialog dialog(instance, owner);
  StartInfoDialogModule(store, dialog).ShowStartInfo(text, identifier);
}

}  // namespace quenora::win32
