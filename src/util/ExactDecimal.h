#pragma once
// Decimal numbers read into the nearest double or float, and doubles written in decimal, both
// exactly (as printf and strtod do where they are correct).

#include <string>
#include <string_view>

namespace quenora {

// The double nearest to a plain decimal number ("-12.5e3", "0,5" not: a sign, digits with at
// most one point, an optional exponent), ties to even, whatever the count of digits: a signed
// zero below the smallest double, a signed infinity beyond the largest. The text must have
// that form; callers check it.
double NearestDouble(std::string_view plainDecimal);
// The same for single precision, rounded once (not through a double).
float NearestFloat(std::string_view plainDecimal);

// printf's "%.*f": the value with `decimals` figures after a point, rounded half to even from
// its exact binary value ("2" for 2.5, "-0" for -0.4); "inf", "-inf" and "nan" for the others.
std::string FixedText(double value, int decimals);
// printf's "%.*e": one figure, a point and `decimals` figures, then e, the exponent's sign and
// at least two of its digits ("1.50e+03"), rounded the same way.
std::string ScientificText(double value, int decimals);

}  // namespace quenora
