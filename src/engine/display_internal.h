#pragma once
// Resets of the engine's modules, used by resetEngine().

namespace varnholt {

void resetDisplayState();
void resetErrorLog();
void resetBitmapState();
void resetTextState();

}  // namespace varnholt
