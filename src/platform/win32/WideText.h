#pragma once
// UTF-8 inside, UTF-16 at every W call.

#include <string>
#include <string_view>

#include "util/Utf.h"

namespace quenora::win32 {

inline std::wstring Widen(std::string_view text) {
  const std::u16string units = Utf8ToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(std::wstring_view text) {
  return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

}  // namespace quenora::win32
