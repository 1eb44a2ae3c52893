#pragma once
// The registry as the settings store uses it: text values under a key of the current user.

#include <optional>
#include <string>
#include <string_view>

namespace quenora {

class Registry {
 public:
  virtual ~Registry() = default;
  // The value `name` under HKEY_CURRENT_USER\`subkey` as text (UTF-8); nullopt when the key or
  // the value is missing or holds no text.
  virtual std::optional<std::string> ReadUserText(std::string_view subkey,
                                                  std::string_view name) = 0;
  // Writes `value` as a string value, creating the key where needed; false when it can't.
  virtual bool WriteUserText(std::string_view subkey, std::string_view name,
                             std::string_view value) = 0;
};

}  // namespace quenora
