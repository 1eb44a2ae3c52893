#include "util/Rounding.h"

#include <cmath>

namespace quenora {

// Both work on floor() and the exact difference to it, so they don't depend on the FPU's
// rounding mode and give the same answer on every build.

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double below = std::floor(value);
  const double fraction = value - below;  // exact for doubles
  if (fraction > 0.5) return below + 1;
  if (fraction < 0.5) return below;
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

double RoundHalfAwayFromZero(double value) {
  if (!std::isfinite(value)) return value;
  const double magnitude = std::fabs(value);
  const double below = std::floor(magnitude);
  const double rounded = magnitude - below >= 0.5 ? below + 1 : below;
  return std::copysign(rounded, value);
}

}  // namespace quenora
