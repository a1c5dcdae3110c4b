#pragma once
// Turning the 8-bit frame into the 32-bit pixels the SDL texture holds (ARGB8888: alpha in the top
// byte, then red, green, blue). A 256-entry table maps each palette index to its pixel, so a frame
// costs one table read per pixel, and the table is rebuilt only when the palette changes.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace varnholt::platform {

using PaletteLookup = std::array<std::uint32_t, 256>;

// Opaque ARGB8888 pixels for the 256 entries; the flags byte plays no part in the colour.
void buildPaletteLookup(const PaletteEntry* palette, PaletteLookup& lookup);

// Writes frame.height rows of frame.width pixels to `target`, whose rows are `targetPitch` bytes apart.
void convertFrame(const Frame& frame, const PaletteLookup& lookup, void* target, int targetPitch);

// A copy of the last frame put on screen (its visible pixels, without the row padding, and its
// palette), so that presenting an unchanged picture again can skip the conversion and the upload: an
// idle screen then costs one comparison per frame instead of a full redraw.
// `r` cut to a width x height frame.
FrameRect clippedRect(const FrameRect& r, int width, int height);

class ShownFrame {
 public:
  // True when `frame` has the kept size, pixels and palette; the pixels are compared only where the
  // frame says they can have changed, the kept frame being the one presented before it. Never true
  // before the first keep().
  bool matches(const Frame& frame) const;
  void keep(const Frame& frame);
  void forget();
  // The kept picture (pitch = width), valid until the next keep(); a frame without pixels before the
  // first keep() and after forget().
  Frame view() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::array<PaletteEntry, 256> palette_{};
  bool valid_ = false;
};

}  // namespace varnholt::platform
