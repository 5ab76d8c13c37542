#pragma once
// Colours of the list: 32-bit values. A value with the highest bit set names a system colour by
// its number in the low byte; any other value is 0x00BBGGRR (red in the low byte).
#include <cstdint>

namespace quillet {

using Color = uint32_t;

inline constexpr Color kSystemColorFlag = 0x80000000u;
inline constexpr Color kSystemWindowBackground = 0x80000005u;     // default cell background
inline constexpr Color kSystemWindowText = 0x80000008u;           // default cell text
inline constexpr Color kSystemInactiveCaptionText = 0x80000013u;  // failed rows' background

constexpr Color Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return Color(red) | (Color(green) << 8) | (Color(blue) << 16);
}
constexpr bool IsSystemColor(Color color) {
  return (color & kSystemColorFlag) != 0;
}
constexpr uint8_t RedOf(Color color) {
  return uint8_t(color & 0xff);
}
constexpr uint8_t GreenOf(Color color) {
  return uint8_t((color >> 8) & 0xff);
}
constexpr uint8_t BlueOf(Color color) {
  return uint8_t((color >> 16) & 0xff);
}

inline constexpr int kPaletteSize = 16;

// The 16-colour palette of the list's Col column. Indices outside 0..15 give black.
Color PaletteColor(long long index);

inline constexpr int kPaletteBlack = 0;
inline constexpr int kPaletteBrightWhite = 15;

}  // namespace quillet
