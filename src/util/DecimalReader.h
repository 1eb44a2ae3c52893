#pragma once
// Plain decimal numbers read into the nearest double or float.

#include <string_view>

namespace quenora {

// The double nearest to a plain decimal number ("-12.5e3", "0,5" not: a sign, digits with at
// most one point, an optional exponent), ties to even, whatever the count of digits: a signed
// zero below the smallest double, a signed infinity beyond the largest. The text must have
// that form; callers check it.
double NearestDouble(std::string_view plainDecimal);
// The same for single precision, rounded once (not through a double).
float NearestFloat(std::string_view plainDecimal);

}  // namespace quenora
