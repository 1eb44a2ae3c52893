#pragma once
// A fake of the raw registry calls, with keys of both roots; it checks that keys are closed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/RegistryCalls.h"

namespace quenora::testing {

// The bytes of UTF-16 units as the registry keeps them, least significant first.
inline std::string Bytes(std::u16string_view units) {
  std::string bytes;
  for (const char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// Keys and values in maps, names compared without case (ASCII) as the registry does, data as
// the registry's bytes. It records the keys it hands out and refuses calls on keys not open.
class FakeRegistryCalls : public RegistryCalls {
 public:
  struct Value {
    std::uint32_t type;
    std::string data;  // bytes, UTF-16 for a text, its terminating zero included
  };
  using Key = std::map<std::string, Value>;

  static std::string Fold(std::string_view name) {
    std::string folded;
    for (const char c : name) {
      folded.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return folded;
  }
  static std::string Fold(RegistryRoot root, std::string_view path) {
    return (root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + Fold(path);
  }

  void Set(RegistryRoot root, std::string_view path, std::string_view name, std::uint32_t type,
           std::string data) {
    keys[Fold(root, path)][Fold(name)] = {type, std::move(data)};
  }
  const Value* Get(RegistryRoot root, std::string_view path, std::string_view name) const {
    const auto key = keys.find(Fold(root, path));
    if (key == keys.end()) return nullptr;
    const auto value = key->second.find(Fold(name));
    return value == key->second.end() ? nullptr : &value->second;
  }

  RegistryKeyAnswer OpenKey(RegistryRoot root, std::string_view subkey, RegistryAccess) override {
    if (openFailure) return {openFailure, 0};
    if (!keys.count(Fold(root, subkey))) return {kRegistryFileNotFound, 0};
    return Hand(root, subkey);
  }
  RegistryKeyAnswer CreateKey(RegistryRoot root, std::string_view subkey) override {
    keys[Fold(root, subkey)];
    return Hand(root, subkey);
  }
  RegistryValueAnswer QueryValue(RegistryKey key, std::string_view name,
                                 std::u16string* buffer) override {
    const auto value = Open(key).find(Fold(name));
    if (value == Open(key).end()) return {kRegistryFileNotFound, 0, 0};
    const std::string& data = value->second.data;
    const auto size = static_cast<std::uint32_t>(data.size());
    if (buffer && buffer->size() * 2 < size) return {kRegistryMoreData, value->second.type, size};
    // Byte by byte into the units: an odd last byte replaces the low half of its unit only.
    for (std::size_t i = 0; buffer && i < data.size(); ++i) {
      char16_t& unit = (*buffer)[i / 2];
      const auto byte = static_cast<char16_t>(static_cast<unsigned char>(data[i]));
      unit = i % 2 ? static_cast<char16_t>((unit & 0x00FF) | (byte << 8))
                   : static_cast<char16_t>((unit & 0xFF00) | byte);
    }
    return {kRegistrySuccess, value->second.type, size};
  }
  RegistryLengthAnswer QueryInfoKeyMaxValueLen(RegistryKey key) override {
    std::uint32_t longest = 0;
    for (const auto& [name, value] : Open(key)) {
      longest = std::max(longest, static_cast<std::uint32_t>(value.data.size()));
    }
    return {kRegistrySuccess, std::min(longest, maxValueLenCap)};
  }
  std::int32_t SetValue(RegistryKey key, std::string_view name, std::uint32_t type,
                        std::u16string_view data) override {
    Open(key)[Fold(name)] = {type, Bytes(data)};
    ++writes;
    return kRegistrySuccess;
  }
  std::int32_t DeleteValue(RegistryKey key, std::string_view name) override {
    ++deletes;
    return Open(key).erase(Fold(name)) ? kRegistrySuccess : kRegistryFileNotFound;
  }
  void CloseKey(RegistryKey key) override {
    if (!open.erase(key)) ADD_FAILURE() << "closed key " << key << ", which is not open";
  }
  std::map<std::string, Key> keys;
  std::map<RegistryKey, std::string> open;  // handed out and not yet closed
  std::uint32_t maxValueLenCap = UINT32_MAX;
  std::int32_t openFailure = 0;
  int writes = 0, deletes = 0;

 private:
  RegistryKeyAnswer Hand(RegistryRoot root, std::string_view subkey) {
    open[++lastKey] = Fold(root, subkey);
    return {kRegistrySuccess, lastKey};
  }
  Key& Open(RegistryKey key) {
    if (!open.count(key)) ADD_FAILURE() << "call on key " << key << ", which is not open";
    return keys[open[key]];
  }
  RegistryKey lastKey = 0x100;
};

}  // namespace quenora::testing
