// The windowless platform: virtual clock, scripted keys, captured frames.
#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <cstring>

namespace varnholt::platform {

namespace {

bool validFrame(const Frame& frame) {
  return frame.pixels != nullptr && frame.palette != nullptr && frame.width > 0 && frame.height > 0 &&
         frame.pitch >= frame.width;
}

}  // namespace

bool HeadlessPlatform::openWindow(std::string_view title, int width, int height) {
  if (width <= 0 || height <= 0) {
    lastError_ = "window size " + std::to_string(width) + "x" + std::to_string(height) + " is not positive";
    return false;
  }
  title_ = std::string(title);
  width_ = width;
  height_ = height;
  windowOpen_ = true;
  return true;
}

void HeadlessPlatform::closeWindow() {
  windowOpen_ = false;
}

bool HeadlessPlatform::readKeyboard(std::uint8_t (&state)[256]) {
  ++keyboardReads_;
  std::memset(state, 0, sizeof state);
  if (keyboardHook_) keyboardHook_(state);
  return true;
}

bool HeadlessPlatform::isKeyDown(DirectKey key) {
  return keyDownHook_ ? keyDownHook_(key) : false;
}

bool HeadlessPlatform::present(const Frame& frame) {
  if (!validFrame(frame)) {
    lastError_ = "present: frame without pixels or palette, or with a bad size or pitch";
    return false;
  }
  // A frame that says where it changed since the last one is copied only there; the kept frame is
  // that last one when it has the same size.
  const bool sameSize =
      presentCount_ > 0 && lastFrame_.width == frame.width && lastFrame_.height == frame.height;
  if (frame.changed != nullptr && sameSize) {
    for (std::size_t i = 0; i < frame.changedCount; ++i) {
      const FrameRect& c = frame.changed[i];
      const int left = std::clamp(c.left, 0, frame.width);
      const int right = std::clamp(c.right, 0, frame.width);
      const int top = std::clamp(c.top, 0, frame.height);
      const int bottom = std::clamp(c.bottom, 0, frame.height);
      if (right <= left) continue;
      for (int y = top; y < bottom; ++y) {
        std::memcpy(lastFrame_.pixels.data() + static_cast<std::size_t>(y) * frame.width + left,
                    frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + left,
                    static_cast<std::size_t>(right - left));
      }
    }
  } else {
    lastFrame_.width = frame.width;
    lastFrame_.height = frame.height;
    lastFrame_.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y) {
      std::memcpy(lastFrame_.pixels.data() + static_cast<std::size_t>(y) * frame.width,
                  frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch,
                  static_cast<std::size_t>(frame.width));
    }
  }
  std::memcpy(lastFrame_.palette.data(), frame.palette, sizeof(PaletteEntry) * 256);
  ++presentCount_;
  clock_.framePresented();
  if (presentHook_) presentHook_(lastFrame_);
  return true;
}

TextRasterizer* HeadlessPlatform::textRasterizer() {
  return font_.get(lastError_);
}

bool HeadlessPlatform::takeScreenshotRequest() {
  const bool requested = screenshotRequested_;
  screenshotRequested_ = false;
  return requested;
}

}  // namespace varnholt::platform
