// Putting the whole engine back to its state before set-up.
#include "engine/engine.h"

#include "engine/display_internal.h"

namespace varnholt {

void resetBitmapState() {
  bitmapFile = BitmapFile{};
  clearPictureCache();
  setPictureCacheLimits(64, 32u << 20);
}

void resetEngine() {
  resetErrorLog();
  resetDisplayState();
  resetBitmapState();
  resetTextState();
}

}  // namespace varnholt
