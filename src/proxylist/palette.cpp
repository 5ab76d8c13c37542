#include "proxylist/palette.h"

#include <array>
#include <cstddef>

namespace quillet {

Color PaletteColor(long long index) {
  static constexpr std::array<Color, kPaletteSize> kPalette = {
      Rgb(0, 0, 0),       Rgb(0, 0, 128),   Rgb(0, 128, 0),   Rgb(0, 128, 128),
      Rgb(128, 0, 0),     Rgb(128, 0, 128), Rgb(128, 128, 0), Rgb(192, 192, 192),
      Rgb(128, 128, 128), Rgb(0, 0, 255),   Rgb(0, 255, 0),   Rgb(0, 255, 255),
      Rgb(255, 0, 0),     Rgb(255, 0, 255), Rgb(255, 255, 0), Rgb(255, 255, 255)};
  if (index < 0 || index >= kPaletteSize) return kPalette[0];
  return kPalette[size_t(index)];
}

}  // namespace quillet
