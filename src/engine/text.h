#pragma once
// Text on a surface, in the platform's font, without anti-aliasing, transparent background, in the
// palette index nearest the requested colour of the current paletteEntries. Nearest-index lookups are
// cached until the palette changes, so a frame's text costs little.

#include <cstdint>

#include "engine/display.h"

namespace varnholt {

using COLORREF = std::uint32_t;  // 0x00bbggrr

constexpr COLORREF makeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
         (static_cast<COLORREF>(blue) << 16);
}

// Draws `text` with the top-left of its line at (x, y). 1, or 0 for a missing or locked surface, null
// text or no font.
int drawText(const char* text, int x, int y, COLORREF color, Surface* surface);
// The same in the colour of paletteEntries[index]; 0 for an index outside 0 to 255.
int drawTextIndexed(const char* text, int x, int y, int index, Surface* surface);

// The first palette index whose colour is nearest (squared RGB distance) to red, green, blue.
int nearestPaletteIndex(const PALETTEENTRY* palette, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Lookups answered from the nearest-index cache, and those that searched the palette.
struct TextColorStats {
  std::uint64_t cacheHits = 0;
  std::uint64_t searches = 0;
};
TextColorStats textColorStats();

}  // namespace varnholt
