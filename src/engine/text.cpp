// Text through the platform's rasteriser: the ink mask of a line is written in one palette index, the
// one nearest the requested colour, with the background left as it was.
#include "engine/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "engine/back_buffer_changes.h"
#include "engine/byte_mask.h"
#include "engine/display_internal.h"

namespace varnholt {

namespace {

// Remembers the nearest index of the few colours a frame's text uses, for the palette they were found
// in. Any change of the palette empties it.
class NearestIndexCache {
 public:
  int lookup(const PALETTEENTRY* palette, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    if (std::memcmp(palette_, palette, sizeof palette_) != 0) {
      std::memcpy(palette_, palette, sizeof palette_);
      used_ = 0;
    }
    const std::uint32_t rgb = makeColorRef(red, green, blue);
    for (std::size_t i = 0; i < used_; ++i) {
      if (slots_[i].rgb == rgb) {
        ++stats_.cacheHits;
        return slots_[i].index;
      }
    }
    ++stats_.searches;
    const int index = nearestPaletteIndex(palette, red, green, blue);
    // Full: the oldest colour makes room.
    if (used_ == slots_.size()) {
      std::memmove(&slots_[0], &slots_[1], (slots_.size() - 1) * sizeof slots_[0]);
      --used_;
    }
    slots_[used_++] = Slot{rgb, index};
    return index;
  }
  void reset() { *this = NearestIndexCache{}; }
  const TextColorStats& stats() const { return stats_; }

 private:
  struct Slot {
    std::uint32_t rgb = 0;
    int index = 0;
  };
  PALETTEENTRY palette_[256] = {};
  std::array<Slot, 16> slots_{};
  std::size_t used_ = 0;
  TextColorStats stats_;
};

NearestIndexCache nearestIndexCache;

// Writes the ink of `mask` at (x, y) in `index`, cut to the surface's drawable rectangles.
void drawMask(Surface& surface, int x, int y, const platform::TextMask& mask, std::uint8_t index) {
  if (mask.width < 1 || mask.height < 1 ||
      mask.ink.size() < static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height)) {
    return;
  }
  const RECT placed{
      x, y, static_cast<int>(std::min<long long>(static_cast<long long>(x) + mask.width, INT32_MAX)),
      static_cast<int>(std::min<long long>(static_cast<long long>(y) + mask.height, INT32_MAX))};
  const std::uint64_t indexWord = 0x0101010101010101ULL * index;
  for (const RECT& area : drawableRects(surface)) {
    const RECT r = intersectRects(area, placed);
    if (isEmptyRect(r)) continue;
    noteSurfaceWrite(surface, r);
    for (int row = r.top; row < r.bottom; ++row) {
      const std::uint8_t* ink = mask.ink.data() + static_cast<std::size_t>(row - y) * mask.width;
      std::uint8_t* dst = surface.pixels.data() + static_cast<std::size_t>(row) * surface.pitch;
      // Eight pixels at a time where the row allows: untouched where the mask has no ink.
      int col = r.left;
      for (; col + 8 <= r.right; col += 8) {
        const std::uint64_t inked = loadWord(ink + (col - x));
        if (inked != 0)
          storeWord(dst + col, blendWord(loadWord(dst + col), indexWord, nonzeroByteMask(inked)));
      }
      for (; col < r.right; ++col) {
        if (ink[col - x]) dst[col] = index;
      }
    }
  }
}

int drawTextRgb(const char* text, int x, int y, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                Surface* surface) {
  // A locked surface, like one without a device context, cannot take text.
  if (!text || !surface || surface->locked) return 0;
  platform::Platform* host = platform::current();
  platform::TextRasterizer* font = host ? host->textRasterizer() : nullptr;
  if (!font) return 0;
  const platform::TextMask* mask = font->renderKept(text);
  if (!mask) return 1;
  const int index = nearestIndexCache.lookup(paletteEntries, red, green, blue);
  drawMask(*surface, x, y, *mask, static_cast<std::uint8_t>(index));
  return 1;
}

}  // namespace

void resetTextState() {
  nearestIndexCache.reset();
}

int nearestPaletteIndex(const PALETTEENTRY* palette, std::uint8_t red, std::uint8_t green,
                        std::uint8_t blue) {
  int best = 0;
  int bestDistance = INT32_MAX;
  for (int i = 0; i < 256; ++i) {
    const int dr = palette[i].red - red;
    const int dg = palette[i].green - green;
    const int db = palette[i].blue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return best;
}

int drawText(const char* text, int x, int y, COLORREF color, Surface* surface) {
  return drawTextRgb(text, x, y, static_cast<std::uint8_t>(color & 0xFF),
                     static_cast<std::uint8_t>((color >> 8) & 0xFF),
                     static_cast<std::uint8_t>((color >> 16) & 0xFF), surface);
}

int drawTextIndexed(const char* text, int x, int y, int index, Surface* surface) {
  if (index < 0 || index > 255) return 0;
  const PALETTEENTRY entry = paletteEntries[index];
  return drawTextRgb(text, x, y, entry.red, entry.green, entry.blue, surface);
}

TextColorStats textColorStats() {
  return nearestIndexCache.stats();
}

}  // namespace varnholt
