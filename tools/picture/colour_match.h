#pragma once
// Choosing palette entries for colours. The distance is CIEDE2000 (CIE Lab under D65, from sRGB): it
// weighs differences as the eye does, so a dark blue goes to the entry that looks nearest rather than to
// the one nearest in raw red, green and blue. Entry 0, the transparent index, is never chosen for an
// opaque colour.

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "picture/bmp_codec.h"
#include "picture/image.h"

namespace varnholt::imaging {

struct Lab {
  double l = 0;
  double a = 0;
  double b = 0;
};

// An 8-bit sRGB colour in CIE L*a*b* (D65 white).
Lab toLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The CIEDE2000 colour difference of two Lab colours (kL = kC = kH = 1).
double ciede2000(const Lab& first, const Lab& second);

// Nearest entries of a palette among entries 1 to 255 (the lowest index wins a tie), remembered per colour.
class ColourMatcher {
 public:
  explicit ColourMatcher(const PaletteTable& palette);
  std::uint8_t nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

 private:
  struct Entry {
    Lab lab;
    int index = 0;
  };
  std::vector<Entry> byLightness_;  // entries 1 to 255, by L*
  std::unordered_map<std::uint32_t, std::uint8_t> found_;
};

struct MapOptions {
  bool dither = false;              // Floyd-Steinberg error diffusion between opaque pixels
  std::optional<Rgba> transparent;  // an opaque colour that also means index 0
};

// The palette index of every pixel: index 0 for a pixel with alpha below kOpaqueAlpha or of the
// transparent colour; otherwise the nearest entry of 1 to 255, except that a picture read from indices
// keeps a pixel's index where its table and the palette agree on that entry's colour (and no error has
// been diffused onto the pixel).
std::vector<std::uint8_t> mapToPalette(const Image& image, const PaletteTable& palette,
                                       const MapOptions& options);

}  // namespace varnholt::imaging
