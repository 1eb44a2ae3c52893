#pragma once
// The registry's "A" calls, texts converted between UTF-8 and the system's ANSI code page.

#include "platform/RegistryCalls.h"

namespace quenora::win32 {

class Win32RegistryCalls final : public RegistryCalls {
 public:
  RegistryKeyAnswer OpenKey(RegistryRoot root, std::string_view subkey,
                            RegistryAccess access) override;
  RegistryKeyAnswer CreateKey(RegistryRoot root, std::string_view subkey) override;
  RegistryValueAnswer QueryValue(RegistryKey key, std::string_view name,
                                 std::string* buffer) override;
  RegistryLengthAnswer QueryInfoKeyMaxValueLen(RegistryKey key) override;
  std::int32_t SetValue(RegistryKey key, std::string_view name, std::uint32_t type,
                        std::string_view data) override;
  std::int32_t DeleteValue(RegistryKey key, std::string_view name) override;
  void CloseKey(RegistryKey key) override;
  std::string ToAnsi(std::string_view utf8) override;
  std::string FromAnsi(std::string_view ansi) override;
};

}  // namespace quenora::win32
