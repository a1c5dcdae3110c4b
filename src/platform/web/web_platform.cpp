// The browser backend: canvas, keys, clock and waits through the page's script.
#include "platform/web/web_platform.h"

#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace varnholt::platform {

namespace {

// The page's side. `varnholtPage` is installed by the page before the game starts.
// clang-format off
EM_JS(void, page_open_canvas, (int width, int height), {
  varnholtPage.openCanvas(width, height);
});
EM_JS(void, page_hide_pointer, (), {
  varnholtPage.hidePointer();
});
EM_JS(void, page_copy_keys, (std::uint8_t* state), {
  HEAPU8.set(varnholtPage.keys, state);
});
EM_JS(int, page_key_down, (int code), {
  return varnholtPage.keys[code] ? 1 : 0;
});
EM_JS(int, page_quit_requested, (), {
  return varnholtPage.quitRequested ? 1 : 0;
});
EM_JS(void, page_show_frame, (const std::uint32_t* pixels, int width, int height), {
  varnholtPage.showFrame(HEAPU8.subarray(pixels, pixels + width * height * 4), width, height);
});
// clang-format on

// Yield to the browser at least this often while a virtual clock runs without real waits.
constexpr double kYieldEveryMs = 30;
// A keyboard read that follows another one without a wait between them (the intro pages poll until
// Enter) first sleeps this long, so polling costs no CPU and the key events can arrive.
constexpr unsigned kPollSleepMs = 10;

int directKeyCode(DirectKey key) {
  switch (key) {
    case DirectKey::Escape:
      return DIK_ESCAPE;
    case DirectKey::Space:
      return DIK_SPACE;
    case DirectKey::Return:
      return DIK_RETURN;
  }
  return DIK_ESCAPE;
}

bool samePalette(const std::array<PaletteEntry, 256>& a, const PaletteEntry* b) {
  return std::memcmp(a.data(), b, sizeof(PaletteEntry) * 256) == 0;
}

}  // namespace

WebPlatform::WebPlatform(std::string atlasPath, bool virtualClock)
    : atlasPath_(std::move(atlasPath)), virtualClock_(virtualClock) {
  lastYield_ = emscripten_get_now();
}

bool WebPlatform::openWindow(std::string_view, int width, int height) {
  if (width <= 0 || height <= 0) {
    lastError_ = "window size " + std::to_string(width) + "x" + std::to_string(height) + " is not positive";
    return false;
  }
  width_ = width;
  height_ = height;
  page_open_canvas(width, height);
  return true;
}

void WebPlatform::hideMousePointer() {
  page_hide_pointer();
}

bool WebPlatform::stopRequested() const {
  return !virtualClock_ && page_quit_requested() != 0;
}

Message WebPlatform::peekMessage() {
  // The loop calls this every turn: a turn that never waits still lets the browser run now and then.
  if (emscripten_get_now() - lastYield_ > kYieldEveryMs) yieldNow();
  if (stopRequested() && !stopPosted_) {
    stopPosted_ = true;
    return Message::Destroy;
  }
  return messages_.take();
}

bool WebPlatform::readKeyboard(std::uint8_t (&state)[256]) {
  if (!virtualClock_ && readsSinceYield_ > 0 && !stopRequested()) yieldFor(kPollSleepMs);
  ++readsSinceYield_;
  page_copy_keys(state);
  return true;
}

bool WebPlatform::isKeyDown(DirectKey key) {
  // A stop the page asked for (another campaign picked) ends whatever waits for a key.
  if (stopRequested() && (key == DirectKey::Escape || key == DirectKey::Return)) return true;
  return page_key_down(directKeyCode(key)) != 0;
}

std::uint32_t WebPlatform::ticks() {
  if (virtualClock_) return clock_.now();
  // performance.now(): monotonic milliseconds since the page loaded.
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(emscripten_get_now()));
}

void WebPlatform::waitUntil(std::uint32_t deadline) {
  if (virtualClock_) {
    clock_.waitUntil(deadline);
    return;
  }
  while (!stopRequested()) {
    const auto remaining = static_cast<std::int32_t>(deadline - ticks());
    if (remaining <= 0) return;
    // Long waits (the splash pictures) in slices, so a stop is seen soon.
    yieldFor(std::min<unsigned>(static_cast<unsigned>(remaining), 100));
  }
}

void WebPlatform::yieldNow() {
  yieldFor(0);
}

void WebPlatform::yieldFor(unsigned milliseconds) {
  const double before = emscripten_get_now();
  emscripten_sleep(milliseconds);
  lastYield_ = emscripten_get_now();
  waited_ += lastYield_ - before;
  readsSinceYield_ = 0;
}

bool WebPlatform::present(const Frame& frame) {
  if (frame.pixels == nullptr || frame.palette == nullptr || frame.width <= 0 || frame.height <= 0 ||
      frame.pitch < frame.width) {
    lastError_ = "present: frame without pixels or palette, or with a bad size or pitch";
    return false;
  }
  const std::size_t count = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
  width_ = frame.width;
  height_ = frame.height;
  latest_.resize(count);
  for (int y = 0; y < frame.height; ++y) {
    std::memcpy(latest_.data() + static_cast<std::size_t>(y) * frame.width,
                frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch,
                static_cast<std::size_t>(frame.width));
  }
  std::memcpy(latestPalette_.data(), frame.palette, sizeof(PaletteEntry) * 256);
  ++presentCount_;
  if (virtualClock_) {
    clock_.framePresented();
    // A replay runs far faster than the screen: show a frame now and then, and let the page breathe.
    if (emscripten_get_now() - lastYield_ > kYieldEveryMs) {
      show();
      yieldNow();
    }
    return true;
  }
  show();
  return true;
}

void WebPlatform::showLatest() {
  if (!latest_.empty()) show();
}

void WebPlatform::show() {
  const std::size_t count = latest_.size();
  const bool paletteSame = anyShown_ && samePalette(shownPalette_, latestPalette_.data());
  if (paletteSame && shown_.size() == count && std::memcmp(shown_.data(), latest_.data(), count) == 0) return;
  if (!rgbaValid_ || !samePalette(rgbaPalette_, latestPalette_.data())) {
    // ImageData bytes are red, green, blue, alpha in memory order: little-endian words.
    for (int i = 0; i < 256; ++i) {
      const PaletteEntry& e = latestPalette_[static_cast<std::size_t>(i)];
      rgba_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(e.red) |
                                           (static_cast<std::uint32_t>(e.green) << 8) |
                                           (static_cast<std::uint32_t>(e.blue) << 16) | 0xFF000000u;
    }
    rgbaPalette_ = latestPalette_;
    rgbaValid_ = true;
  }
  canvas_.resize(count);
  for (std::size_t i = 0; i < count; ++i) canvas_[i] = rgba_[latest_[i]];
  page_show_frame(canvas_.data(), width_, height_);
  shown_ = latest_;
  shownPalette_ = latestPalette_;
  anyShown_ = true;
}

TextRasterizer* WebPlatform::textRasterizer() {
  if (font_) return font_.get();
  if (fontFailed_) return nullptr;
  std::ifstream in(atlasPath_, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string error;
  auto atlas = in || in.eof() ? parseGlyphAtlas(bytes, error) : std::nullopt;
  if (!atlas) {
    lastError_ = "font not loaded from " + atlasPath_ + ": " + (error.empty() ? "cannot read it" : error);
    fontFailed_ = true;
    return nullptr;
  }
  font_ = std::make_unique<AtlasRasterizer>(std::move(*atlas));
  return font_.get();
}

}  // namespace varnholt::platform
