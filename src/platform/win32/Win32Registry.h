#pragma once
// The settings' registry values of the current user, through the wide calls.

#include "platform/Registry.h"

namespace quenora::win32 {

class Win32Registry final : public Registry {
 public:
  std::optional<std::string> ReadUserText(std::string_view subkey, std::string_view name) override;
  bool WriteUserText(std::string_view subkey, std::string_view name,
                     std::string_view value) override;
};

}  // namespace quenora::win32
