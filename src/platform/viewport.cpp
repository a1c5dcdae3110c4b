// Letterboxed placement of the frame in the window.
#include "platform/viewport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace varnholt::platform {

ViewportRect fitFrame(int outputWidth, int outputHeight, int frameWidth, int frameHeight, FitMode mode) {
  if (outputWidth <= 0 || outputHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) return {};
  int width = 0;
  int height = 0;
  if (mode == FitMode::Integer && outputWidth >= frameWidth && outputHeight >= frameHeight) {
    const int scale = std::min(outputWidth / frameWidth, outputHeight / frameHeight);
    width = frameWidth * scale;
    height = frameHeight * scale;
  } else if (static_cast<std::int64_t>(outputWidth) * frameHeight <=
             static_cast<std::int64_t>(outputHeight) * frameWidth) {
    // The window is narrower than the frame's shape: the width decides.
    width = outputWidth;
    height = static_cast<int>(static_cast<std::int64_t>(frameHeight) * outputWidth / frameWidth);
  } else {
    height = outputHeight;
    width = static_cast<int>(static_cast<std::int64_t>(frameWidth) * outputHeight / frameHeight);
  }
  width = std::max(width, 1);
  height = std::max(height, 1);
  return {(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}

int enlargement(int placeWidth, int placeHeight, int frameWidth, int frameHeight) {
  if (frameWidth <= 0 || frameHeight <= 0) return 1;
  const int across = (placeWidth + frameWidth - 1) / frameWidth;
  const int down = (placeHeight + frameHeight - 1) / frameHeight;
  return std::max({1, across, down});
}

namespace {

// The whole frame pixel a position falls in, clamped to the frame.
int framePixel(double position, int size) {
  return static_cast<int>(std::clamp(std::floor(position), 0.0, static_cast<double>(size - 1)));
}

}  // namespace

FramePoint framePoint(const PointerMapping& mapping, double x, double y) {
  const ViewportRect place = fitFrame(mapping.outputWidth, mapping.outputHeight, mapping.frameWidth,
                                      mapping.frameHeight, mapping.mode);
  if (place.width <= 0 || place.height <= 0 || mapping.windowWidth <= 0 || mapping.windowHeight <= 0 ||
      !std::isfinite(x) || !std::isfinite(y)) {
    return {};
  }
  // Window units to output pixels, then to the frame through its place.
  const double outputX = x * mapping.outputWidth / mapping.windowWidth;
  const double outputY = y * mapping.outputHeight / mapping.windowHeight;
  const double frameX = (outputX - place.x) / place.width * mapping.frameWidth;
  const double frameY = (outputY - place.y) / place.height * mapping.frameHeight;
  const bool inside =
      frameX >= 0 && frameX < mapping.frameWidth && frameY >= 0 && frameY < mapping.frameHeight;
  return {framePixel(frameX, mapping.frameWidth), framePixel(frameY, mapping.frameHeight), inside};
}

}  // namespace varnholt::platform
