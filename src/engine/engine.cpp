// Putting the whole engine back to its state before set-up.
#include "engine/engine.h"

#include "engine/display_internal.h"
#include "engine/picture_cache.h"

namespace varnholt {

void resetBitmapState() {
  bitmapFile = BitmapFile{};
  clearPictureCache();
  setPictureCacheLimits(PictureCache::DEFAULT_MAX_ENTRIES, PictureCache::DEFAULT_MAX_BYTES);
}

void resetEngine() {
  resetErrorLog();
  resetDisplayState();
  resetBitmapState();
  resetTextState();
}

}  // namespace varnholt
