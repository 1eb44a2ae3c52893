#pragma once
// Byte counts as the program writes them: one decimal, in the largest unit below 1024 of them.

#include <string>
#include <string_view>

namespace quenora {

struct SizeUnit {
  std::string_view text;  // " Byte", " KB", " MB", " GB" or " TB"
  int exponent;           // the power of two the free bytes are divided by
};
SizeUnit ChooseUnit(double freeBytes);

// " 812,0 MB": the free bytes in the unit and format of the tooltips.
std::string FreeSpaceText(double freeBytes, std::string_view decimalSeparator);
// "812,0 MB": bytes the same way, without the blank that joins them to a name in the tooltip.
std::string SizeText(double bytes, std::string_view decimalSeparator);

}  // namespace quenora
