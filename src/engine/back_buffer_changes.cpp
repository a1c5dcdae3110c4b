// The back buffer's change notes: two bounded lists of rectangles, each given up (to "anywhere") when it
// would grow past its bound.
#include "engine/back_buffer_changes.h"

#include <cstring>
#include <vector>

#include "engine/bitmap.h"
#include "engine/display.h"

namespace varnholt {

namespace {

// A battle frame draws a few dozen things; a frame that draws more costs a full copy and compare, as
// if nothing were known.
constexpr std::size_t MAX_PLACES = 128;

struct Notes {
  // The buffer the notes are about; another (or one resized) starts with none known.
  const std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;

  // The image the buffer was last filled from, and where it has been drawn over since.
  bool baseKnown = false;
  const std::uint8_t* basePixels = nullptr;
  std::uint64_t baseRevision = 0;
  int baseX = 0;
  int baseY = 0;
  int baseWidth = 0;
  int baseHeight = 0;
  std::vector<RECT> overBase;

  // What was written since the last present, and where that went.
  const platform::Platform* presentedTo = nullptr;
  bool sinceKnown = false;
  std::vector<platform::FrameRect> since;
};
Notes notes;

// True when there is a back buffer; the notes then describe it.
bool followBackBuffer() {
  if (!backBuffer) return false;
  if (notes.pixels != backBuffer->pixels.data() || notes.width != backBuffer->width ||
      notes.height != backBuffer->height) {
    notes = Notes{};
    notes.pixels = backBuffer->pixels.data();
    notes.width = backBuffer->width;
    notes.height = backBuffer->height;
  }
  return true;
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void noteSince(const RECT& r) {
  if (!notes.sinceKnown) return;
  // An idle frame puts back and draws again the same places; each is compared once.
  for (const platform::FrameRect& known : notes.since) {
    if (sameRect(RECT{known.left, known.top, known.right, known.bottom}, r)) return;
  }
  if (notes.since.size() >= MAX_PLACES) {
    notes.sinceKnown = false;
    notes.since.clear();
    return;
  }
  notes.since.push_back(platform::FrameRect{r.left, r.top, r.right, r.bottom});
}

void note(const RECT& area) {
  const RECT r = intersectRects(area, RECT{0, 0, notes.width, notes.height});
  if (isEmptyRect(r)) return;
  if (notes.baseKnown && (notes.overBase.empty() || !sameRect(notes.overBase.back(), r))) {
    if (notes.overBase.size() >= MAX_PLACES) {
      notes.baseKnown = false;
      notes.overBase.clear();
    } else {
      notes.overBase.push_back(r);
    }
  }
  noteSince(r);
}

void copyRows(const BitmapImage& image, std::uint8_t* memory, int pitch, const RECT& r) {
  const auto count = static_cast<std::size_t>(r.right - r.left);
  for (int y = r.top; y < r.bottom; ++y) {
    const std::uint8_t* src =
        image.pixels.data() + (static_cast<std::ptrdiff_t>(y) - image.y) * image.width + (r.left - image.x);
    std::memcpy(memory + static_cast<std::ptrdiff_t>(y) * pitch + r.left, src, count);
  }
}

}  // namespace

void noteSurfaceWrite(const Surface& surface, const RECT& area) {
  if (&surface == backBuffer && followBackBuffer()) note(area);
}

void noteMemoryWrite(const std::uint8_t* memory, const RECT& area) {
  if (backBuffer && memory == backBuffer->pixels.data() && followBackBuffer()) note(area);
}

bool fillBackBufferFrom(const BitmapImage& image, std::uint8_t* memory, int pitch) {
  if (!backBuffer || memory != backBuffer->pixels.data() || pitch != backBuffer->pitch ||
      !imageCoversBackBuffer(image) || !followBackBuffer()) {
    return false;
  }
  const bool sameBase = notes.baseKnown && notes.basePixels == image.pixels.data() &&
                        notes.baseRevision == image.revision && notes.baseX == image.x &&
                        notes.baseY == image.y && notes.baseWidth == image.width &&
                        notes.baseHeight == image.height;
  if (sameBase) {
    for (const RECT& r : notes.overBase) {
      copyRows(image, memory, pitch, r);
      noteSince(r);
    }
    notes.overBase.clear();
    return true;
  }
  copyRows(image, memory, pitch, RECT{0, 0, notes.width, notes.height});
  notes.baseKnown = true;
  notes.basePixels = image.pixels.data();
  notes.baseRevision = image.revision;
  notes.baseX = image.x;
  notes.baseY = image.y;
  notes.baseWidth = image.width;
  notes.baseHeight = image.height;
  notes.overBase.clear();
  notes.sinceKnown = false;
  notes.since.clear();
  return true;
}

void describeChanges(platform::Frame& frame, const platform::Platform* host) {
  frame.changed = nullptr;
  frame.changedCount = 0;
  if (!followBackBuffer() || !notes.sinceKnown || host != notes.presentedTo) return;
  // An empty list is a real answer (nothing changed); the pointer still has to be non-null.
  static const platform::FrameRect nothing{};
  frame.changed = notes.since.empty() ? &nothing : notes.since.data();
  frame.changedCount = notes.since.size();
}

void backBufferPresented(const platform::Platform* host) {
  if (!followBackBuffer()) return;
  notes.presentedTo = host;
  notes.sinceKnown = true;
  notes.since.clear();
}

void resetBackBufferChanges() {
  notes = Notes{};
}

}  // namespace varnholt
