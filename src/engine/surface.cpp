// In-memory surfaces: creation, colour fills and (colour-keyed, possibly scaled) rectangle copies, all
// cut to the destination's clip rectangles and bounds.
#include "engine/surface.h"

#include <algorithm>
#include <cstring>

#include "engine/back_buffer_changes.h"
#include "engine/byte_mask.h"

namespace varnholt {

bool initSurface(Surface& surface, int width, int height, int caps) {
  surface = Surface{};
  if (width < 1 || height < 1 || width > SURFACE_MAX_SIDE || height > SURFACE_MAX_SIDE) return false;
  surface.width = width;
  surface.height = height;
  // Rows start on 4-byte boundaries, as display memory usually does; callers must honour the pitch.
  surface.pitch = (width + 3) & ~3;
  surface.pixels.assign(static_cast<std::size_t>(surface.pitch) * static_cast<std::size_t>(height), 0);
  surface.caps = caps;
  return true;
}

void setColorKey(Surface& surface, int colorKey) {
  surface.hasColorKey = true;
  surface.colorKey = colorKey & 0xFFFF;
}

RECT intersectRects(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

std::vector<RECT> drawableRects(const Surface& surface) {
  const RECT whole{0, 0, surface.width, surface.height};
  std::vector<RECT> result;
  if (!surface.clipper) {
    if (!isEmptyRect(whole)) result.push_back(whole);
    return result;
  }
  for (const RECT& r : surface.clipper->rects) {
    const RECT cut = intersectRects(r, whole);
    if (!isEmptyRect(cut)) result.push_back(cut);
  }
  return result;
}

bool fillRect(Surface& surface, const RECT* rect, std::uint8_t color) {
  if (surface.locked) return false;
  const RECT target = rect ? *rect : RECT{0, 0, surface.width, surface.height};
  for (const RECT& area : drawableRects(surface)) {
    const RECT r = intersectRects(area, target);
    if (isEmptyRect(r)) continue;
    noteSurfaceWrite(surface, r);
    for (int y = r.top; y < r.bottom; ++y) {
      std::memset(surface.pixels.data() + static_cast<std::size_t>(y) * surface.pitch + r.left, color,
                  static_cast<std::size_t>(r.right - r.left));
    }
  }
  return true;
}

// Sixteen pixels as one value, in the compiler's portable vector extension (SSE2 on x86-64, SIMD128 in a
// browser build with it). WebAssembly without SIMD128 would split each vector into sixteen single-byte
// operations, slower than eight bytes in one 64-bit word: such a build takes the word path alone.
#if !defined(__wasm__) || defined(__wasm_simd128__)
#define VARNHOLT_BLEND16 1
#endif

#ifdef VARNHOLT_BLEND16
namespace {

using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

Bytes16 loadBytes16(const std::uint8_t* bytes) {
  Bytes16 v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

// The source's pixels that are not the key over the destination's, sixteen at a time.
void blend16(std::uint8_t* dst, const std::uint8_t* src, Bytes16 keys) {
  const Bytes16 word = loadBytes16(src);
  const auto keep = reinterpret_cast<Bytes16>(word != keys);  // 0xFF where the source is not the key
  const Bytes16 old = loadBytes16(dst);
  const Bytes16 out = (old & ~keep) | (word & keep);
  std::memcpy(dst, &out, sizeof out);
}

}  // namespace
#endif

// Sixteen bytes at a time, each byte taken from the source unless it is the key. A row of sixteen or
// more ends with one more step that overlaps the last: blending the same source twice changes nothing.
// Shorter rows go eight bytes, then one, at a time.
void copyRowColorKeyed(std::uint8_t* dst, const std::uint8_t* src, int count, std::uint8_t key) {
#ifdef VARNHOLT_BLEND16
  if (count >= 16) {
    Bytes16 keys;
    std::memset(&keys, key, sizeof keys);
    int i = 0;
    for (; i + 16 <= count; i += 16) blend16(dst + i, src + i, keys);
    if (i < count) blend16(dst + count - 16, src + count - 16, keys);
    return;
  }
#endif
  int i = 0;
  const std::uint64_t keyWord = 0x0101010101010101ULL * key;
  for (; i + 8 <= count; i += 8) {
    const std::uint64_t word = loadWord(src + i);
    const std::uint64_t keep = nonzeroByteMask(word ^ keyWord);  // 0xFF where the source is not the key
    if (keep != 0) storeWord(dst + i, blendWord(loadWord(dst + i), word, keep));
  }
  for (; i < count; ++i) {
    if (src[i] != key) dst[i] = src[i];
  }
}

bool blitSurface(Surface& destination, const RECT& dstRect, const Surface& source, const RECT& srcRect,
                 bool colorKeyed) {
  if (destination.locked || source.locked) return false;
  if (isEmptyRect(dstRect) || isEmptyRect(srcRect)) return false;
  // A source rectangle reaching outside the source is refused, as a display driver would.
  if (srcRect.left < 0 || srcRect.top < 0 || srcRect.right > source.width || srcRect.bottom > source.height) {
    return false;
  }
  const bool keyed = colorKeyed && source.hasColorKey;
  // An 8-bit pixel never equals a key above 255, so such a key skips nothing.
  const bool keyFits = keyed && source.colorKey <= 0xFF;
  const auto key = static_cast<std::uint8_t>(source.colorKey & 0xFF);
  const long long srcW = srcRect.right - srcRect.left;
  const long long srcH = srcRect.bottom - srcRect.top;
  const long long dstW = static_cast<long long>(dstRect.right) - dstRect.left;
  const long long dstH = static_cast<long long>(dstRect.bottom) - dstRect.top;
  const bool scaled = srcW != dstW || srcH != dstH;

  for (const RECT& area : drawableRects(destination)) {
    const RECT r = intersectRects(area, dstRect);
    if (isEmptyRect(r)) continue;
    noteSurfaceWrite(destination, r);
    for (int y = r.top; y < r.bottom; ++y) {
      const long long sy = srcRect.top + (y - static_cast<long long>(dstRect.top)) * srcH / dstH;
      const std::uint8_t* srcRow = source.pixels.data() + static_cast<std::size_t>(sy) * source.pitch;
      std::uint8_t* dstRow = destination.pixels.data() + static_cast<std::size_t>(y) * destination.pitch;
      if (!scaled) {
        const std::uint8_t* from = srcRow + (srcRect.left + (r.left - dstRect.left));
        const int count = r.right - r.left;
        if (keyFits) {
          copyRowColorKeyed(dstRow + r.left, from, count, key);
        } else {
          std::memcpy(dstRow + r.left, from, static_cast<std::size_t>(count));
        }
        continue;
      }
      for (int x = r.left; x < r.right; ++x) {
        const long long sx = srcRect.left + (x - static_cast<long long>(dstRect.left)) * srcW / dstW;
        const std::uint8_t value = srcRow[sx];
        if (keyed && value == source.colorKey) continue;
        dstRow[x] = value;
      }
    }
  }
  return true;
}

}  // namespace varnholt
