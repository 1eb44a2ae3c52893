#include "ui/DriveLimitDialog.h"

#include <string>

#include "platform/win32/WideText.h"

namespace quenora::win32 {

using namespace drivelimit;

namespace {

// Each level's switch on a line of its own, and below it, indented, its number and unit, each
// after a label that names it (for a screen reader too, which takes a field's name from the
// label just before it) and gives it an access key, then what the level means on the drive.
// The labels sit lower than the fields by the edit's border, level with their text.
constexpr ControlSpec kControls[] = {
    {kAllDrivesOpt, ControlKind::RadioButton, "&Wie alle Laufwerke", {120, 150, 6060, 255}},
    {kOwnLimitOpt, ControlKind::RadioButton, "&Eigene Grenze:", {120, 510, 6060, 255}},
    {kLimitNumberLbl, ControlKind::FieldLabel, "&Zahl:", {375, 915, 585, 255}},
    {kLimitTxt, ControlKind::Edit, "", {960, 870, 960, 315}},
    {kLimitUnitLbl, ControlKind::FieldLabel, "Ei&nheit:", {2040, 915, 645, 255}},
    {kLimitUnitCmb, ControlKind::DropDownList, "", {2685, 870, 780, 315}},
    {kLimitPreviewLbl, ControlKind::Label, "", {3585, 915, 2595, 255}},
    {kEarlyChk, ControlKind::CheckBox, "&Vorwarnung bei:", {120, 1350, 6060, 255}},
    {kEarlyNumberLbl, ControlKind::FieldLabel, "Za&hl:", {375, 1755, 585, 255}},
    {kEarlyTxt, ControlKind::Edit, "", {960, 1710, 960, 315}},
    {kEarlyUnitLbl, ControlKind::FieldLabel, "Einhei&t:", {2040, 1755, 645, 255}},
    {kEarlyUnitCmb, ControlKind::DropDownList, "", {2685, 1710, 780, 315}},
    {kEarlyPreviewLbl, ControlKind::Label, "", {3585, 1755, 2595, 255}},
    {kEarlyNoteLbl,
     ControlKind::Label,
     "Die Vorwarnung meldet sich einmal, ohne Blinken und ohne Ton.",
     {375, 2130, 5805, 390}},
    {kMessageLbl, ControlKind::Label, "", {120, 2550, 6060, 390}},
    {kOKButton, ControlKind::DefaultButton, "&OK", {3840, 3000, 1125, 375}},
    {kCancelButton, ControlKind::Button, "&Abbrechen", {5055, 3000, 1125, 375}},
};

constexpr int kOkResult = 1;
// Room for any number the fields accept, and a little more to type over.
constexpr int kNumberFieldLength = 16;

std::wstring TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

void SetTextOf(HWND control, const std::string& text) {
  // Only a change is written: a label written again flickers as the user types.
  const std::wstring wide = Widen(text);
  if (TextOf(control) != wide) SetWindowTextW(control, wide.c_str());
}

DriveLevel::Unit UnitOf(HWND list) {
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= static_cast<LRESULT>(kLevelUnitNames.size())) {
    return DriveLevel::Unit::Megabytes;
  }
  return static_cast<DriveLevel::Unit>(index);
}

bool Checked(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

std::span<const ControlSpec> DriveLimitDialogControls() {
  return kControls;
}

DriveLimitDialog::DriveLimitDialog(HINSTANCE instance, HWND owner)
    : Window(instance, owner, {kDialogClass, kClientWidth, kClientHeight, kControls}) {}

std::optional<DriveLimitChoice> DriveLimitDialog::ShowModal(const DriveLimitQuestion& question) {
  question_ = question;
  choice_.reset();
  if (!Load()) return std::nullopt;
  if (RunModal() != kOkResult) return std::nullopt;
  return choice_;
}

bool DriveLimitDialog::Form_Load() {
  // Setting the controls reports changes; the form is read once, when all of it stands.
  loading_ = true;
  HWND window = hWnd();
  TakeOwnersIcons();
  SetWindowTextW(window, Widen(DriveLimitTitle(question_.letter)).c_str());
  SetWindowTextW(
      Control(kAllDrivesOpt),
      Widen(PageLimitChoiceText(question_.pageLimit, question_.decimalSeparator)).c_str());

  const DriveLimitForm form = InitialDriveLimitForm(question_);
  SendMessageW(Control(form.ownLimit ? kOwnLimitOpt : kAllDrivesOpt), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(Control(kEarlyChk), BM_SETCHECK, form.early ? BST_CHECKED : BST_UNCHECKED, 0);
  const struct {
    int field, list;
    const std::string& text;
    DriveLevel::Unit unit;
  } levels[] = {{kLimitTxt, kLimitUnitCmb, form.limitText, form.limitUnit},
                {kEarlyTxt, kEarlyUnitCmb, form.earlyText, form.earlyUnit}};
  for (const auto& level : levels) {
    SendMessageW(Control(level.field), EM_SETLIMITTEXT, kNumberFieldLength, 0);
    SetWindowTextW(Control(level.field), Widen(level.text).c_str());
    for (const std::string_view name : kLevelUnitNames) {
      SendMessageW(Control(level.list), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Widen(name).c_str()));
    }
    SendMessageW(Control(level.list), CB_SETCURSEL, static_cast<WPARAM>(level.unit), 0);
  }
  loading_ = false;
  Form_Change();
  return true;
}

void DriveLimitDialog::Control_Command(int id, int code) {
  if (loading_) return;
  switch (id) {
    case kOKButton:
      if (code == BN_CLICKED) OKButton_Click();
      break;
    case kCancelButton:
      if (code == BN_CLICKED) Unload(kClosedByUser);
      break;
    case kAllDrivesOpt:
    case kOwnLimitOpt:
    case kEarlyChk:
      if (code == BN_CLICKED) Form_Change();
      break;
    case kLimitTxt:
    case kEarlyTxt:
      if (code == EN_CHANGE) Form_Change();
      break;
    case kLimitUnitCmb:
    case kEarlyUnitCmb:
      if (code == CBN_SELCHANGE) Form_Change();
      break;
    default:
      break;
  }
}

DriveLimitForm DriveLimitDialog::ReadForm() const {
  DriveLimitForm form;
  form.ownLimit = Checked(Control(kOwnLimitOpt));
  form.limitText = Narrow(TextOf(Control(kLimitTxt)));
  form.limitUnit = UnitOf(Control(kLimitUnitCmb));
  form.early = Checked(Control(kEarlyChk));
  form.earlyText = Narrow(TextOf(Control(kEarlyTxt)));
  form.earlyUnit = UnitOf(Control(kEarlyUnitCmb));
  return form;
}

DriveLimitFormState DriveLimitDialog::Form_Change() {
  const DriveLimitForm form = ReadForm();
  const DriveLimitFormState state = ReadDriveLimitForm(question_, form);
  // A field not in use keeps its number for when the user comes back to it, greyed.
  for (const int id : {kLimitNumberLbl, kLimitTxt, kLimitUnitLbl, kLimitUnitCmb}) {
    EnableWindow(Control(id), form.ownLimit);
  }
  for (const int id : {kEarlyNumberLbl, kEarlyTxt, kEarlyUnitLbl, kEarlyUnitCmb}) {
    EnableWindow(Control(id), form.early);
  }
  SetTextOf(Control(kLimitPreviewLbl), state.limitPreview);
  SetTextOf(Control(kEarlyPreviewLbl), state.earlyPreview);
  SetTextOf(Control(kMessageLbl), state.message);
  EnableWindow(Control(kOKButton), state.choice.has_value());
  return state;
}

void DriveLimitDialog::OKButton_Click() {
  // Read again rather than trusted from the button's state: a tool may press a disabled OK by
  // message. The controls go with the unload, so the choice is taken now.
  choice_ = Form_Change().choice;
  if (choice_) Unload(kOkResult);
}

}  // namespace quenora::win32
