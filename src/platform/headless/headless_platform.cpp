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
  keepFrame(lastFrame_, frame);
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

void HeadlessPlatform::takePointerEvents(std::vector<PointerEvent>& events) {
  const std::uint32_t now = clock_.now();
  std::size_t due = 0;
  while (due < pointerQueue_.size() && static_cast<std::int32_t>(now - pointerQueue_[due].ticks) >= 0) ++due;
  events.insert(events.end(), pointerQueue_.begin(),
                pointerQueue_.begin() + static_cast<std::ptrdiff_t>(due));
  pointerQueue_.erase(pointerQueue_.begin(), pointerQueue_.begin() + static_cast<std::ptrdiff_t>(due));
}

}  // namespace varnholt::platform
