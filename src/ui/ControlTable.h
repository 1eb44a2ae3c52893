#pragma once
// A window as data: each of its controls with its kind, its text and its place in twips. The
// windows are built from these tables; tests read them.

#include <cstddef>
#include <span>
#include <string_view>

#include "ui/Twips.h"

namespace quenora {

enum class ControlKind {
  TabStrip,
  Layer,          // a plain container: an options page with controls of its own
  Frame,          // a group box without caption
  Icon,           // an icon at its own size: a page picture
  Picture,        // a bitmap, unscaled, in the middle of the control
  ScaledPicture,  // a bitmap scaled to the control; reports clicks
  Logo,           // drawn by its window; reports clicks
  Label,          // wrapped over its width; an ampersand shows as it is
  CenteredLabel,  // the same, each line centred
  FieldLabel,     // names the field after it, for a screen reader too; "&" marks its access key
  Line,           // an etched horizontal separator
  ListView,       // a list of entries with check boxes
  ReportList,     // a list of rows in columns under their headers
  ProgressBar,    // a bar that moves while something runs of unknown length
  Slider,         // a horizontal trackbar, its ticks below it
  CheckBox,
  Button,          // a push button
  WrappingButton,  // a push button whose text may wrap over two lines
  DefaultButton,   // the push button that Enter presses
  RadioButton,     // an option button; a run of them in the table is one group
  Edit,            // a one-line text field
  DropDownList,    // a list to choose from, its rectangle the closed box
  Canvas,          // drawn by its window, which hears its keys and mouse; a tab stop
};

struct ControlSpec {
  int id;
  ControlKind kind;
  // What the control shows; for a control that shows no text of its own (a slider, a list, a
  // picture, the tab strip, a page) the name a screen reader says for it.
  std::string_view text;
  TwipsRect rect;     // within its container
  int container = 0;  // the id of the Layer it lies on; 0: on the window itself
  bool bold = false;
  // Another face and size than the dialog font's, in hundredths of a point.
  const wchar_t* fontFace = nullptr;
  int fontCentiPoints = 0;
};

// The row of `id`, or null.
const ControlSpec* FindControl(std::span<const ControlSpec> controls, int id);
// Whether the keyboard can put the focus on a control of this kind.
bool TakesFocus(ControlKind kind);
// Whether the control at `index` begins a group that the arrow keys move within: the first of
// a run of option buttons, and the first control after one.
bool StartsGroup(std::span<const ControlSpec> controls, std::size_t index);
// Whether a control of this kind reports clicks, and so shows the hand pointer.
bool ReportsClicks(ControlKind kind);

}  // namespace quenora
