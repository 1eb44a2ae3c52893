#pragma once
// The raw registry calls of the autostart routines, with their return codes and wide texts.

#include <cstdint>
#include <string>
#include <string_view>

namespace quenora {

// An open key as the system hands it out; 0 is no key.
using RegistryKey = std::uintptr_t;

enum class RegistryRoot { CurrentUser, LocalMachine };
enum class RegistryAccess { QueryValue, AllAccess };

// Return codes and value types, with the system's numbers.
inline constexpr std::int32_t kRegistrySuccess = 0;
inline constexpr std::int32_t kRegistryFileNotFound = 2;
inline constexpr std::int32_t kRegistryMoreData = 234;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

struct RegistryKeyAnswer {
  std::int32_t code = 0;
  RegistryKey key = 0;  // only with code 0
};

struct RegistryValueAnswer {
  std::int32_t code = 0;
  std::uint32_t type = 0;
  std::uint32_t size = 0;  // bytes: written, or needed when the buffer was too small
};

struct RegistryLengthAnswer {
  std::int32_t code = 0;
  std::uint32_t length = 0;
};

// Key paths and value names are UTF-8, passed on as the wide calls take them. Value data is
// UTF-16 units as those calls read and write it, its sizes in bytes (two per unit), as they
// count it.
class RegistryCalls {
 public:
  virtual ~RegistryCalls() = default;
  virtual RegistryKeyAnswer OpenKey(RegistryRoot root, std::string_view subkey,
                                    RegistryAccess access) = 0;
  // Opens the key, creating it (and its parents) where missing.
  virtual RegistryKeyAnswer CreateKey(RegistryRoot root, std::string_view subkey) = 0;
  // With no buffer, only the type and size; else the whole buffer is offered and the data
  // lands at its start, the rest of it untouched.
  virtual RegistryValueAnswer QueryValue(RegistryKey key, std::string_view name,
                                         std::u16string* buffer) = 0;
  // The size in bytes of the largest value data in the key.
  virtual RegistryLengthAnswer QueryInfoKeyMaxValueLen(RegistryKey key) = 0;
  // Writes all of `data`; two bytes per unit is the byte count passed.
  virtual std::int32_t SetValue(RegistryKey key, std::string_view name, std::uint32_t type,
                                std::u16string_view data) = 0;
  virtual std::int32_t DeleteValue(RegistryKey key, std::string_view name) = 0;
  virtual void CloseKey(RegistryKey key) = 0;
};

}  // namespace quenora
