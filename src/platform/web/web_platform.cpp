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
EM_JS(void, page_show_pointer, (int shown), {
  varnholtPage.showPointer(shown !== 0);
});
// Copies at most `most` of the page's kept events of one kind (0 keys, 1 pointer), `fields` numbers each,
// into `out` and forgets them; the number copied.
EM_JS(int, page_take_events, (int kind, double* out, int most), {
  return varnholtPage.takeEvents(kind, HEAPF64.subarray(out >> 3, (out >> 3) + most * 7), most);
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
EM_JS(int, page_any_key_down, (), {
  return varnholtPage.anyKeyDown() ? 1 : 0;
});
// Sleeps in a browser timer (Asyncify unwinds the game's stack and rewinds it when the timer fires);
// a key going down, or the page asking the game to stop, ends the sleep early.
EM_JS(void, page_sleep, (unsigned milliseconds), {
  Asyncify.handleSleep((wakeUp) => varnholtPage.sleep(milliseconds, wakeUp));
});
EM_JS(void, page_show_frame, (const std::uint32_t* pixels, int width, int height, const std::int32_t* rects,
                              int count), {
  varnholtPage.showFrame(HEAPU8.buffer, pixels, width, height, HEAP32.subarray(rects >> 2, (rects >> 2) + count * 4));
});
// clang-format on

// Yield to the browser at least this often while a virtual clock runs without real waits.
constexpr double kYieldEveryMs = 30;
// A keyboard read that follows another one without a wait between them (the intro pages poll until
// Enter) first sleeps this long, so polling costs no CPU and the key events can arrive.
constexpr unsigned kPollSleepMs = 10;
// The game is idle once its picture has not changed for this long and no key is down.
constexpr double kIdleAfterMs = 300;
// While idle, frames run ahead of the real clock by at most this much: a browser's timer costs more
// than an idle frame's work, so the game's waits are taken in bursts of a few frames, then one sleep
// (a key going down ends it at once). Every wait still ends at its deadline on the game's clock, and
// frames come as often as before on the whole; only nobody can see when, as none of them changes the
// picture.
constexpr double kMaxLeadMs = 250;
// An idle poll of the keyboard sleeps this long (a key going down ends it at once).
constexpr unsigned kIdlePollSleepMs = 100;

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

// Numbers per event the page hands over (the same for both kinds), and events taken per call at most.
constexpr int kEventFields = 7;
constexpr int kEventsPerTake = 64;

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

void WebPlatform::setMousePointerShown(bool shown) {
  page_show_pointer(shown ? 1 : 0);
}

std::uint32_t WebPlatform::eventTicks(double pageMs) {
  // An event the page kept before the idle frames ran ahead happened no later than now on the game's
  // clock; later ones carry the lead as the clock does.
  const std::uint32_t now = ticks();
  const auto stamped = static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::max(0.0, pageMs + lead_)));
  return static_cast<std::int32_t>(stamped - now) > 0 ? now : stamped;
}

void WebPlatform::takeKeyEvents(std::vector<KeyEvent>& events) {
  if (virtualClock_) return;
  taken_.resize(static_cast<std::size_t>(kEventsPerTake) * kEventFields);
  for (;;) {
    const int count = page_take_events(0, taken_.data(), kEventsPerTake);
    for (int i = 0; i < count; ++i) {
      const double* e = taken_.data() + static_cast<std::size_t>(i) * kEventFields;
      const int code = static_cast<int>(e[0]);
      if (code <= 0 || code > 255) continue;
      events.push_back(KeyEvent{static_cast<std::uint8_t>(code), e[1] != 0, eventTicks(e[2])});
    }
    if (count < kEventsPerTake) return;
  }
}

void WebPlatform::takePointerEvents(std::vector<PointerEvent>& events) {
  if (virtualClock_) return;
  taken_.resize(static_cast<std::size_t>(kEventsPerTake) * kEventFields);
  for (;;) {
    const int count = page_take_events(1, taken_.data(), kEventsPerTake);
    for (int i = 0; i < count; ++i) {
      const double* e = taken_.data() + static_cast<std::size_t>(i) * kEventFields;
      const int kind = static_cast<int>(e[0]);
      const int button = static_cast<int>(e[1]);
      if (kind < 0 || kind > 3 || button < 0 || button > 2) continue;
      PointerEvent event;
      event.kind = static_cast<PointerEvent::Kind>(kind);
      event.button = static_cast<PointerButton>(button);
      event.touch = e[2] != 0;
      event.x = static_cast<int>(std::clamp(e[3], -1.0e6, 1.0e6));
      event.y = static_cast<int>(std::clamp(e[4], -1.0e6, 1.0e6));
      event.inside = event.x >= 0 && event.y >= 0 && event.x < width_ && event.y < height_;
      event.ticks = eventTicks(e[6]);
      events.push_back(event);
    }
    if (count < kEventsPerTake) return;
  }
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
  if (!virtualClock_ && readsSinceYield_ > 0 && !stopRequested()) {
    yieldFor(idle(emscripten_get_now()) ? kIdlePollSleepMs : kPollSleepMs);
  }
  ++readsSinceYield_;
  page_copy_keys(state);
  // A key down keeps the game from being idle; once all are up, its picture has to stand still a while.
  if (!virtualClock_ &&
      std::any_of(std::begin(state), std::end(state), [](std::uint8_t key) { return key != 0; })) {
    stillSince_ = emscripten_get_now();
  }
  return true;
}

bool WebPlatform::idle(double now) const {
  return !virtualClock_ && stillSince_ >= 0 && now - stillSince_ >= kIdleAfterMs &&
         page_any_key_down() == 0 && !stopRequested();
}

bool WebPlatform::isKeyDown(DirectKey key) {
  // A stop the page asked for (another campaign picked) ends whatever waits for a key.
  if (stopRequested() && (key == DirectKey::Escape || key == DirectKey::Return)) return true;
  return page_key_down(directKeyCode(key)) != 0;
}

std::uint32_t WebPlatform::ticks() {
  if (virtualClock_) return clock_.now();
  // performance.now(): monotonic milliseconds since the page loaded, and the lead idle frames took.
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(emscripten_get_now() + lead_));
}

void WebPlatform::waitUntil(std::uint32_t deadline) {
  if (virtualClock_) {
    clock_.waitUntil(deadline);
    return;
  }
  while (!stopRequested()) {
    const double now = emscripten_get_now();
    const auto remaining = static_cast<std::int32_t>(
        deadline - static_cast<std::uint32_t>(static_cast<std::uint64_t>(now + lead_)));
    if (remaining <= 0) return;
    if (!idle(now)) {
      // Long waits (the splash pictures) in slices, so a stop is seen soon.
      yieldFor(std::min<unsigned>(static_cast<unsigned>(remaining), 100));
      continue;
    }
    if (lead_ + remaining <= kMaxLeadMs) {
      // The wait is over on the game's clock now: the next frame runs at once, ahead of the real clock.
      // For the keyboard's polling it was a wait all the same.
      lead_ += remaining;
      readsSinceYield_ = 0;
      return;
    }
    // The burst is over: sleep until the real clock reaches the deadline, so the lead is paid off. A
    // key that ends the sleep early leaves the rest of the lead, and the loop waits normally.
    yieldFor(static_cast<unsigned>(lead_ + remaining));
    lead_ = std::max(0.0, lead_ - (emscripten_get_now() - now));
  }
}

void WebPlatform::yieldNow() {
  yieldFor(0);
}

void WebPlatform::yieldFor(unsigned milliseconds) {
  const double before = emscripten_get_now();
  page_sleep(milliseconds);
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
  width_ = frame.width;
  height_ = frame.height;
  kept_.keep(frame);
  if (!kept_.unchanged() || stillSince_ < 0) stillSince_ = emscripten_get_now();
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
  show();
}

void WebPlatform::show() {
  if (kept_.empty() || kept_.unchanged()) return;
  const int width = kept_.width();
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(kept_.height());
  if (!rgbaValid_ || !samePalette(rgbaPalette_, kept_.palette().data())) {
    // ImageData bytes are red, green, blue, alpha in memory order: little-endian words.
    for (std::size_t i = 0; i < 256; ++i) {
      const PaletteEntry& e = kept_.palette()[i];
      rgba_[i] = static_cast<std::uint32_t>(e.red) | (static_cast<std::uint32_t>(e.green) << 8) |
                 (static_cast<std::uint32_t>(e.blue) << 16) | 0xFF000000u;
    }
    rgbaPalette_ = kept_.palette();
    rgbaValid_ = true;
  }
  if (canvas_.size() != count) canvas_.assign(count, 0xFF000000u);
  rects_.clear();
  const auto convert = [&](const FrameRect& r) {
    for (int y = r.top; y < r.bottom; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      const std::uint8_t* from = kept_.pixels() + row;
      std::uint32_t* to = canvas_.data() + row;
      for (int x = r.left; x < r.right; ++x) to[x] = rgba_[from[x]];
    }
    rects_.insert(rects_.end(), {r.left, r.top, r.right - r.left, r.bottom - r.top});
  };
  if (kept_.all()) {
    convert(FrameRect{0, 0, width, kept_.height()});
  } else {
    for (const FrameRect& r : kept_.pending()) convert(r);
  }
  kept_.clearPending();
  page_show_frame(canvas_.data(), width, kept_.height(), rects_.data(), static_cast<int>(rects_.size() / 4));
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
