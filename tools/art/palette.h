#pragma once
// The campaign's one palette: every picture carries it and PALDATA2.PAL holds it, so whichever picture
// sets the display palette, every other picture drawn with it keeps its colours. Index 0 is black and
// is the transparent colour of every sprite and overlay.

#include <array>
#include <string>

#include "platform/platform.h"

namespace varnholt::art {

using Palette = std::array<platform::PaletteEntry, 256>;

// A run of palette entries from dark (first) to light (first + count - 1).
struct Ramp {
  int first = 0;
  int count = 1;
  // The entry at brightness t, 0 (darkest) to 1 (lightest).
  int at(double t) const;
  int darkest() const { return first; }
  int lightest() const { return first + count - 1; }
};

namespace ramp {
inline constexpr Ramp grey{1, 15};
inline constexpr Ramp skin{16, 16};
inline constexpr Ramp greenSkin{32, 8};
inline constexpr Ramp parchment{40, 8};
inline constexpr Ramp red{56, 16};
inline constexpr Ramp blue{72, 16};
inline constexpr Ramp green{88, 16};
inline constexpr Ramp purple{104, 16};
inline constexpr Ramp metal{120, 16};
inline constexpr Ramp grass{136, 16};
inline constexpr Ramp stone{152, 16};
inline constexpr Ramp sky{168, 16};
inline constexpr Ramp wood{184, 16};
inline constexpr Ramp fire{200, 16};
inline constexpr Ramp ice{216, 16};
inline constexpr Ramp bone{232, 16};
}  // namespace ramp

// Single entries with a fixed meaning.
namespace colour {
inline constexpr int transparent = 0;
inline constexpr int ink = 2;      // (32, 32, 32): the colour of all game text
inline constexpr int outline = 1;  // near-black, opaque
inline constexpr int white = 15;
inline constexpr int turnBanner = 50;  // bright gold: the battle's turn line
inline constexpr int goldLight = 48;
inline constexpr int goldDark = 55;
inline constexpr int pureRed = 248;
inline constexpr int pureGreen = 249;
inline constexpr int pureYellow = 250;
inline constexpr int magenta = 251;
inline constexpr int cyan = 252;
inline constexpr int deepBlue = 253;
inline constexpr int darkRed = 254;
inline constexpr int nightBlue = 255;
}  // namespace colour

// The campaign palette, built from its ramps.
const Palette& campaignPalette();

// PALDATA2.PAL text: one "red green blue flags" line per entry, entry 0 first, each line preceded by a
// line break as the game's own writer does.
std::string paletteFileText(const Palette& palette);

// The entry nearest to an RGB colour (squared distance; the lowest index wins a tie), skipping index 0.
int nearestEntry(const Palette& palette, int red, int green, int blue);

}  // namespace varnholt::art
