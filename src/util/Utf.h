#pragma once
// UTF-8 <-> UTF-16 conversion for the portable code (Windows counts text in UTF-16 units).

#include <string>
#include <string_view>

namespace quenora {

// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// At most `units` UTF-16 units of `text`, as Windows counts a field's length; a character that
// takes two units is kept whole or left out, never cut in half.
std::string CutToUtf16Units(std::string_view text, std::size_t units);

}  // namespace quenora
