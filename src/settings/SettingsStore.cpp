#include "settings/SettingsStore.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "util/Numbers.h"
#include "util/Rounding.h"

namespace quenora {

namespace {

constexpr std::string_view kTopKey = "_Top";
constexpr std::string_view kLeftKey = "_Left";

// To a 32-bit integer, halves to the even neighbour; nullopt where that isn't possible.
std::optional<std::int32_t> ToInt32(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

// A coordinate saved by hand that isn't a number counts as missing.
std::optional<std::int32_t> StoredCoordinate(const std::string& text) {
  const std::optional<double> number = ParseNumber(text);
  return number ? ToInt32(*number) : std::nullopt;
}

}  // namespace

SettingValue::SettingValue(int number) : text_(std::to_string(number)) {}
SettingValue::SettingValue(double number) : text_(NumberText(number)) {}
SettingValue::SettingValue(float number) : text_(SingleNumberText(number)) {}

void SettingsStore::SaveValue(std::string_view key, const SettingValue& value) {
  // A store that can't be written loses this one value; the program goes on with what it has.
  registry_.WriteUserText(kSettingsKey, key, value.Text());
}

std::string SettingsStore::LoadValue(std::string_view key, const SettingValue& defaultValue) const {
  std::optional<std::string> stored = registry_.ReadUserText(kSettingsKey, key);
  return stored ? *stored : defaultValue.Text();
}

void SettingsStore::SaveFormPosition(const FormGeometry& window) {
  // Single precision, as the toolkit's coordinates are: whole twips in practice ("2880").
  SaveValue(kTopKey, static_cast<float>(window.Top()));
  SaveValue(kLeftKey, static_cast<float>(window.Left()));
}

void SettingsStore::RestoreFormPosition(FormGeometry& window) const {
  const std::optional<std::int32_t> top = StoredCoordinate(LoadValue(kTopKey, -1));
  const std::optional<std::int32_t> left = StoredCoordinate(LoadValue(kLeftKey, -1));
  const double screenHeight = window.ScreenHeight();
  const double screenWidth = window.ScreenWidth();
  // Only the top-left corner must lie on the screen; a corner on another monitor to the left
  // or above (negative) or a missing key (-1) centres the window.
  if (top && left && screenHeight > *top && screenWidth > *left && *top >= 0 && *left >= 0) {
    window.SetTop(*top);
    window.SetLeft(*left);
    return;
  }
  CenterFormOnScreen(window);
}

void SettingsStore::CenterFormOnScreen(FormGeometry& window) {
  // Halved with the remainder dropped toward zero: a difference of -301 gives -150.
  const std::optional<std::int32_t> dx = ToInt32(window.ScreenWidth() - window.Width());
  window.SetLeft(dx ? *dx / 2 : 0);
  const std::optional<std::int32_t> dy = ToInt32(window.ScreenHeight() - window.Height());
  window.SetTop(dy ? *dy / 2 : 0);
}

}  // namespace quenora
