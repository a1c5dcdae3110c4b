#pragma once
// What the engine knows of the changes to the back buffer, so that redrawing an idle frame and
// presenting it touch only the places that can have changed, not the whole screen twice:
// - the rectangles written since the last present: outside them the buffer still holds the picture
//   presented last, and the platform need compare only inside them;
// - the full-screen image the buffer was last filled from, opaque, and the places drawn over since:
//   filling the buffer from the same image again only copies those places back.
// Every write into the back buffer goes through the engine's fills, blits, text and image drawing,
// which note it here; code that writes into the locked back buffer by hand must note it too.

#include <cstdint>

#include "engine/surface.h"
#include "platform/platform.h"

namespace varnholt {

struct BitmapImage;

// Notes a write to `area` of `surface`; nothing unless it is the back buffer.
void noteSurfaceWrite(const Surface& surface, const RECT& area);
// Notes a write to `area` of the memory at `memory`; nothing unless it is the back buffer's.
void noteMemoryWrite(const std::uint8_t* memory, const RECT& area);

// When `image` covers the whole back buffer and `memory` is the buffer's (with its pitch), draws it
// opaque and returns true: every byte ends as the image's, and when the buffer was last filled from
// the same unchanged image, only the places drawn over since are copied. False for any other draw,
// which the caller makes as usual.
bool fillBackBufferFrom(const BitmapImage& image, std::uint8_t* memory, int pitch);

// The places written since the last successful present to `host`, for `frame`; none filled in when
// they are not known (the first present, a new buffer or platform, too many places).
void describeChanges(platform::Frame& frame, const platform::Platform* host);
// The present of the back buffer to `host` succeeded: the next one counts its changes from here.
void backBufferPresented(const platform::Platform* host);

void resetBackBufferChanges();

}  // namespace varnholt
