#pragma once
// A fake of the registry; it records what was asked.

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "settings/SettingsStore.h"

namespace quenora::testing {

// Events of several fakes in one sequence, where a test cares about their order.
using Journal = std::vector<std::string>;

inline std::string Joined(const std::vector<std::string>& events) {
  std::string text;
  for (const std::string& event : events) text += (text.empty() ? "" : " | ") + event;
  return text;
}

// Values by subkey and name, both case-insensitive as the registry's are.
class FakeRegistry : public Registry {
 public:
  std::optional<std::string> ReadUserText(std::string_view subkey, std::string_view name) override {
    ++reads;
    const auto it = values.find(Key(subkey, name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool WriteUserText(std::string_view subkey, std::string_view name,
                     std::string_view value) override {
    ++writes;
    if (throwOnWrite) throw std::runtime_error("registry write");
    if (failWrites) return false;
    values[Key(subkey, name)] = std::string(value);
    if (journal) journal->push_back("write " + std::string(name) + "=" + std::string(value));
    return true;
  }

  // The program's own values, set and read behind the store's back.
  void Set(std::string_view name, std::string value) {
    values[Key(kSettingsKey, name)] = std::move(value);
  }
  std::optional<std::string> Get(std::string_view name) const {
    const auto it = values.find(Key(kSettingsKey, name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }

  struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                          [](char x, char y) {
                                            return std::tolower(static_cast<unsigned char>(x)) <
                                                   std::tolower(static_cast<unsigned char>(y));
                                          });
    }
  };
  std::map<std::string, std::string, CaseInsensitiveLess> values;
  bool failWrites = false;
  bool throwOnWrite = false;
  int reads = 0, writes = 0;
  Journal* journal = nullptr;

 private:
  static std::string Key(std::string_view subkey, std::string_view name) {
    return std::string(subkey) + '\n' + std::string(name);
  }
};

}  // namespace quenora::testing
