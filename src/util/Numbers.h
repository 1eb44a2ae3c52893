#pragma once
// Reading numbers from stored text, and writing them back.

#include <optional>
#include <string>
#include <string_view>

namespace quenora {

// A decimal number such as "10", " -2880 ", "10.4", "10,4" or "1e3"; nullopt for anything
// else, and for values that overflow a double ("1e400").
std::optional<double> ParseNumber(std::string_view text);

// Whole numbers below 10^15 without a decimal point ("2880"), others as the shortest text that
// reads back as the same double ("10.4", "1.5e+15").
std::string NumberText(double value);
// The same for single precision (whole below 10^7): 100.1f is "100.1", not the double nearest
// to it.
std::string SingleNumberText(float value);

}  // namespace quenora
