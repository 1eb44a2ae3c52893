#pragma once
// Rounding rules used for pictures, tooltips and stored numbers.

namespace quenora {

// Nearest whole number, a half going to the even neighbour (13.5 -> 14, 12.5 -> 12).
double RoundHalfEven(double value);

// Nearest whole number, a half going away from zero (0.5 -> 1, -2.5 -> -3).
double RoundHalfAwayFromZero(double value);

}  // namespace quenora
