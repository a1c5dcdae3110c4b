#pragma once
// Turning the 8-bit frame into the 32-bit pixels the SDL texture holds (ARGB8888: alpha in the top
// byte, then red, green, blue). A 256-entry table maps each palette index to its pixel, so a frame
// costs one table read per pixel, and the table is rebuilt only when the palette changes.

#include <array>
#include <cstdint>

#include "platform/platform.h"

namespace varnholt::platform {

using PaletteLookup = std::array<std::uint32_t, 256>;

// Opaque ARGB8888 pixels for the 256 entries; the flags byte plays no part in the colour.
void buildPaletteLookup(const PaletteEntry* palette, PaletteLookup& lookup);

// Writes frame.height rows of frame.width pixels to `target`, whose rows are `targetPitch` bytes apart.
void convertFrame(const Frame& frame, const PaletteLookup& lookup, void* target, int targetPitch);

}  // namespace varnholt::platform
