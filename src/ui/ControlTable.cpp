#include "ui/ControlTable.h"

namespace quenora {

const ControlSpec* FindControl(std::span<const ControlSpec> controls, int id) {
  for (const ControlSpec& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

bool TakesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::TabStrip:
    case ControlKind::ListView:
    case ControlKind::ReportList:
    case ControlKind::Slider:
    case ControlKind::CheckBox:
    case ControlKind::Button:
    case ControlKind::WrappingButton:
    case ControlKind::DefaultButton:
    case ControlKind::RadioButton:
    case ControlKind::Edit:
    case ControlKind::DropDownList:
    case ControlKind::Canvas:
      return true;
    default:
      return false;
  }
}

bool StartsGroup(std::span<const ControlSpec> controls, std::size_t index) {
  const bool radio = controls[index].kind == ControlKind::RadioButton;
  const bool afterRadio = index > 0 && controls[index - 1].kind == ControlKind::RadioButton;
  return radio != afterRadio;
}

bool ReportsClicks(ControlKind kind) {
  return kind == ControlKind::ScaledPicture || kind == ControlKind::Logo;
}

}  // namespace quenora
