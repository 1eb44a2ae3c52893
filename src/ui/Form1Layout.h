#pragma once
// The options window as data: every control with its place in twips, the tabs, the tab order
// and the tray menu. The window is built from these tables; tests read them.

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace quenora {

struct TwipsRect {
  int left, top, width, height;
};

enum class ControlKind {
  TabStrip,
  Layer,          // a plain container: one options page
  Frame,          // a group box without caption
  Picture,        // a 48 x 48 page picture
  Label,          // wraps its text within its width
  CenteredLabel,  // a slider's value
  ListView,       // the drive list, with check boxes
  Slider,
  CheckBox,
  Button,
  Logo,  // the vendor's logo, with its own pointer and tooltip
};

// What a page picture shows.
enum class PagePicture { None, Drives, Interval, Alarm, Autostart };

struct ControlSpec {
  int id;
  ControlKind kind;
  int layer;  // 0: on the window; 1..4: on that page, placed within it
  std::string_view text;
  TwipsRect rect;
  bool bold = false;
  PagePicture picture = PagePicture::None;
};

// Control identifiers: arrays keep their index in the low digits.
namespace form1 {
inline constexpr int kTabStrip1 = 100;
// Layer(n) has the id kLayerIdBase + n, 101 to 104, just past the tab strip that shows it.
inline constexpr int kLayerIdBase = kTabStrip1;
inline constexpr int kFrame1 = 110;  // Frame1(n) is kFrame1 + n
inline constexpr int kPicture1 = 120;
inline constexpr int kLabel1 = 130;
inline constexpr int kLV = 140;
inline constexpr int kTimerIntervalSlider = 141;
inline constexpr int kMemLimitSlider = 142;
inline constexpr int kCheck1 = 143;  // Check1(0)
inline constexpr int kAutoStartChk = 144;
inline constexpr int kNotifyChk = 145;  // "Mit &Benachrichtigung", on the alarm page
inline constexpr int kBtn = 150;  // Btn(i) is kBtn + i
inline constexpr int kImage1 = 160;
inline constexpr int kPageCount = 4;
}  // namespace form1

inline constexpr int kForm1ClientWidth = 5580;
inline constexpr int kForm1ClientHeight = 3630;

std::span<const ControlSpec> Form1Controls();
const ControlSpec* FindControl(int id);

struct TabSpec {
  std::string_view caption;
  std::string_view tooltip;
};
// The tabs of TabStrip1; tab n (from 1) shows Layer(n).
const std::array<TabSpec, form1::kPageCount>& Form1Tabs();

// The keyboard's way through the window; controls on hidden pages are skipped.
std::span<const int> Form1TabOrder();

struct SliderSpec {
  int id, minimum, maximum, tickEvery, pageStep, lineStep;
};
std::span<const SliderSpec> Form1Sliders();

// The texts of the sliders' value labels: "10 Sekunden", "10 Mbyte".
std::string IntervalDisplayText(int seconds);
std::string LimitDisplayText(int megabytes);

// The tray icons' pop-up menu pum: items 1..8 by index; "-" is a separator.
const std::array<std::string_view, 8>& PumItems();
inline constexpr int kPumDefaultItem = 8;

inline constexpr std::string_view kImage1Tooltip =
    "Klicken Sie hier, um noch mehr interessante Tarnwick-Programme kennenzulernen ...";

// Pixels for twips at the given dots per inch (15 twips a pixel at 96), rounded.
int TwipsToPixels(int twips, int dpi);

}  // namespace quenora
