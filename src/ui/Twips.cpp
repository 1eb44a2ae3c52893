#include "ui/Twips.h"

#include <cstdint>

namespace quenora {

int TwipsToPixels(int twips, int dpi) {
  // Rounded half away from zero, in 64 bits: no overflow for any twips value.
  const std::int64_t scaled = std::int64_t{twips} * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

}  // namespace quenora
