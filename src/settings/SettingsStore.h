#pragma once
// The program's persistent settings: named text values of the current user, and the place of
// the options window.

#include <string>
#include <string_view>

#include "platform/FormGeometry.h"
#include "platform/Registry.h"

namespace quenora {

// Where the values live, below HKEY_CURRENT_USER: vendor, then product.
inline constexpr std::string_view kSettingsKey = "Software\\Tarnwick Software\\Quenora";

// A value to store or a default: text, a number or a Boolean, kept as its text form.
class SettingValue {
 public:
  SettingValue(const char* text) : text_(text) {}
  SettingValue(std::string_view text) : text_(text) {}
  SettingValue(const std::string& text) : text_(text) {}
  SettingValue(int number);
  SettingValue(double number);
  SettingValue(float number);
  SettingValue(bool flag) : text_(flag ? "True" : "False") {}
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

class SettingsStore {
 public:
  explicit SettingsStore(Registry& registry) : registry_(registry) {}

  // Stores the value's text under `key`, replacing what was there. Keys are case-insensitive.
  void SaveValue(std::string_view key, const SettingValue& value);
  // The stored text of `key`, or the text of `defaultValue` when there is none.
  std::string LoadValue(std::string_view key, const SettingValue& defaultValue = "") const;

  // Saves the window's top, then its left edge, under "_Top" and "_Left".
  void SaveFormPosition(const FormGeometry& window);
  // Puts the window where it was saved when that corner lies on the screen, else centres it.
  void RestoreFormPosition(FormGeometry& window) const;
  // Centres the window on the screen, left edge first.
  static void CenterFormOnScreen(FormGeometry& window);

 private:
  Registry& registry_;
};

}  // namespace quenora
