#pragma once
// The registry's wide calls, key paths and value names converted from UTF-8.

#include "platform/RegistryCalls.h"

namespace quenora::win32 {

class Win32RegistryCalls final : public RegistryCalls {
 public:
  RegistryKeyAnswer OpenKey(RegistryRoot root, std::string_view subkey,
                            RegistryAccess access) override;
  RegistryKeyAnswer CreateKey(RegistryRoot root, std::string_view subkey) override;
  RegistryValueAnswer QueryValue(RegistryKey key, std::string_view name,
                                 std::u16string* buffer) override;
  RegistryLengthAnswer QueryInfoKeyMaxValueLen(RegistryKey key) override;
  std::int32_t SetValue(RegistryKey key, std::string_view name, std::uint32_t type,
                        std::u16string_view data) override;
  std::int32_t DeleteValue(RegistryKey key, std::string_view name) override;
  void CloseKey(RegistryKey key) override;
};

}  // namespace quenora::win32
