#pragma once
// The whole engine in one include, and the reset that puts all of its module-level state (display,
// error log, bitmapFile, picture and colour caches) back to the values before set-up.

#include "engine/bitmap.h"
#include "engine/bitmap_writer.h"
#include "engine/display.h"
#include "engine/error_log.h"
#include "engine/sprite.h"
#include "engine/surface.h"
#include "engine/text.h"

namespace varnholt {

void resetEngine();

}  // namespace varnholt
