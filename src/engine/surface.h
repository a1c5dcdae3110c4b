#pragma once
// In-memory 8-bit surfaces: the drawing targets of the engine. A surface is a block of palette indices
// with a pitch, an optional source colour key, an optional clipper (a list of rectangles every blit into
// the surface is cut to) and a lock flag. Blits and fills always stay inside the destination surface,
// whatever rectangles they are given.

#include <cstdint>
#include <memory>
#include <vector>

namespace varnholt {

// A rectangle as left, top, right, bottom; right and bottom are exclusive.
struct RECT {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Capability bits callers may pass when creating surfaces. Surfaces all live in ordinary memory, so
// these are recorded and otherwise have no effect.
inline constexpr int DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr int DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr int DDSCAPS_SYSTEMMEMORY = 0x800;

// The clip region of a surface: the rectangles drawing may touch and their bounding rectangle.
struct Clipper {
  std::vector<RECT> rects;
  RECT bound;
};

struct Surface {
  int width = 0;
  int height = 0;
  int pitch = 0;                     // bytes from one row to the next, at least `width`
  std::vector<std::uint8_t> pixels;  // height x pitch bytes
  int caps = 0;
  bool hasColorKey = false;
  int colorKey = 0;                        // pixels equal to this value are skipped by colour-keyed blits
  std::shared_ptr<const Clipper> clipper;  // null: the whole surface
  bool locked = false;
};

// Largest surface side the engine creates.
inline constexpr int SURFACE_MAX_SIDE = 8192;

// Sets `surface` up as `width` x `height` pixels cleared to 0, with no colour key and no clipper. False
// (and the surface left empty) when a side is not 1 to SURFACE_MAX_SIDE.
bool initSurface(Surface& surface, int width, int height, int caps);

// Sets the source colour key (low 16 bits of `colorKey`).
void setColorKey(Surface& surface, int colorKey);

// Fills `rect` (or the whole surface when null) with `color`, cut to the clipper and the surface. False
// when the surface is locked.
bool fillRect(Surface& surface, const RECT* rect, std::uint8_t color);

// Copies `srcRect` of `source` to `dstRect` of `destination`, scaling by nearest pixel when the two sizes
// differ, skipping the source's colour key when `colorKeyed` is true. The copy is cut to the destination's
// clipper and bounds; source pixels outside `source` are never read. False when either surface is locked
// or a rectangle is empty or inverted.
bool blitSurface(Surface& destination, const RECT& dstRect, const Surface& source, const RECT& srcRect,
                 bool colorKeyed);

// Copies `count` bytes from `src` to `dst`, leaving `dst` where the source byte is `key`.
void copyRowColorKeyed(std::uint8_t* dst, const std::uint8_t* src, int count, std::uint8_t key);

// The rectangles of `surface` that drawing may touch: its clip rectangles cut to the surface, or the
// whole surface when it has no clipper. Empty intersections are left out.
std::vector<RECT> drawableRects(const Surface& surface);

// The intersection of two rectangles; empty (right <= left or bottom <= top) when they do not meet.
RECT intersectRects(const RECT& a, const RECT& b);
inline bool isEmptyRect(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

}  // namespace varnholt
