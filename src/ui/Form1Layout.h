#pragma once
// The options window as data: every control with its place in twips, the tabs, the tab order
// and the tray menu. The window is built from these tables; tests read them.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "ui/ControlTable.h"

namespace quenora {

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
inline constexpr int kNotifyChk = 145;  // "Mit Be&nachrichtigung", on the alarm page
inline constexpr int kBtn = 150;  // Btn(i) is kBtn + i
inline constexpr int kImage1 = 160;
// kPolicyNote + n: "Vom Administrator festgelegt" on page n, shown where a policy fixes one of
// the page's settings.
inline constexpr int kPolicyNote = 170;
// On the drives page, in the policy note's place while that is hidden: what the list's context
// menu holds, which is found by nothing else on the page.
inline constexpr int kDriveMenuHint = 180;
inline constexpr int kPageCount = 4;
}  // namespace form1

inline constexpr int kForm1ClientWidth = 5580;
inline constexpr int kForm1ClientHeight = 3630;

std::span<const ControlSpec> Form1Controls();
const ControlSpec* FindControl(int id);
// Where a control lies once ShapeForm has laid every page on the first one; the table has the
// pages as loaded, side by side below the client area.
TwipsRect ShapedPlace(const ControlSpec& row);
// The page a control lies on, 1..4; 0 for one on the window itself.
int LayerOf(const ControlSpec& row);

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

}  // namespace quenora
