#include "ui/Form1Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace quenora {
namespace {

using namespace form1;

bool Inside(const TwipsRect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.width > 0 && r.height > 0 && r.left + r.width <= width &&
         r.top + r.height <= height;
}

bool Focusable(ControlKind kind) {
  return kind == ControlKind::TabStrip || kind == ControlKind::ListView ||
         kind == ControlKind::Slider || kind == ControlKind::CheckBox ||
         kind == ControlKind::Button;
}

TEST(Form1LayoutTest, ControlsHaveUniqueIdsAndFitTheirContainers) {
  std::set<int> ids;
  std::vector<int> outside;
  for (const ControlSpec& control : Form1Controls()) {
    SCOPED_TRACE(control.id);
    EXPECT_TRUE(ids.insert(control.id).second);
    EXPECT_EQ(FindControl(control.id), &control);
    EXPECT_GE(LayerOf(control), 0);
    EXPECT_LE(LayerOf(control), kPageCount);
    if (LayerOf(control) > 0) {
      EXPECT_EQ(FindControl(control.container)->kind, ControlKind::Layer);
      EXPECT_TRUE(Inside(control.rect, 3792, 2952));
    } else if (!Inside(control.rect, kForm1ClientWidth, kForm1ClientHeight)) {
      outside.push_back(control.id);
    }
  }
  // Pages 2 to 4 lie below the client area until they are stacked on page 1, which fits.
  EXPECT_EQ(outside, (std::vector<int>{kLayerIdBase + 2, kLayerIdBase + 3, kLayerIdBase + 4}));
  const TwipsRect page1 = FindControl(kLayerIdBase + 1)->rect;
  EXPECT_TRUE(Inside({page1.left, page1.top, 3792, 2952}, kForm1ClientWidth, kForm1ClientHeight));
  EXPECT_EQ(FindControl(999), nullptr);
}

TEST(Form1LayoutTest, ShapedPagesLieOnTheFirstAtTheSizeOfItsFrame) {
  for (const ControlSpec& control : Form1Controls()) {
    SCOPED_TRACE(control.id);
    const TwipsRect place = ShapedPlace(control);
    const TwipsRect expected =
        control.kind == ControlKind::Layer ? TwipsRect{270, 420, 3792, 2952} : control.rect;
    EXPECT_EQ(place.left, expected.left);
    EXPECT_EQ(place.top, expected.top);
    EXPECT_EQ(place.width, expected.width);
    EXPECT_EQ(place.height, expected.height);
  }
}

TEST(Form1LayoutTest, TabOrderVisitsEveryFocusableControlOnceButtonsOkFirst) {
  std::multiset<int> focusable;
  for (const ControlSpec& control : Form1Controls()) {
    if (Focusable(control.kind)) focusable.insert(control.id);
  }
  const auto order = Form1TabOrder();
  EXPECT_EQ(std::multiset<int>(order.begin(), order.end()), focusable);
  std::vector<std::string> buttons;
  for (const int id : order) {
    const ControlSpec* control = FindControl(id);
    ASSERT_NE(control, nullptr) << id;
    if (control->kind == ControlKind::Button) buttons.emplace_back(control->text);
  }
  EXPECT_EQ(buttons,
            (std::vector<std::string>{"&OK", "&Beenden", "&Abbrechen", "&Info", "&Hilfe"}));
}

TEST(Form1LayoutTest, SliderLabelsShowTheValueWithItsUnit) {
  EXPECT_EQ(IntervalDisplayText(10), "10 Sekunden");
  EXPECT_EQ(IntervalDisplayText(1), "1 Sekunden");
  EXPECT_EQ(LimitDisplayText(10), "10 Mbyte");
  EXPECT_EQ(LimitDisplayText(1000), "1000 Mbyte");
}

}  // namespace
}  // namespace quenora
