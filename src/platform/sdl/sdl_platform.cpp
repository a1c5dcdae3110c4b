// The SDL2 backend: the clock and the waits, over the key state, the presenter and the event pump.
#include "platform/sdl/sdl_platform.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>

#include "platform/font/font_rasterizer.h"
#include "platform/sdl/sdl_parts.h"
#include "platform/sdl/x11_window.h"

namespace varnholt::platform {

namespace {

// One reference on SDL's video subsystem.
class VideoSubsystem {
 public:
  VideoSubsystem() = default;
  ~VideoSubsystem() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
  VideoSubsystem(const VideoSubsystem&) = delete;
  VideoSubsystem& operator=(const VideoSubsystem&) = delete;
};

}  // namespace

struct SdlPlatform::State {
  // ticks() counts milliseconds on the steady clock from the backend's creation, so a wait can sleep
  // to the exact moment its deadline is reached.
  using Clock = SdlEventPump::Clock;
  Clock::time_point origin = Clock::now();
  std::int64_t elapsedMs(Clock::time_point now = Clock::now()) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - origin).count();
  }
  WaitLateness waits;

  explicit State(SdlOptions chosen)
      : options(chosen), parts(chosen.scaling, [this] { return static_cast<std::uint32_t>(elapsedMs()); }) {}

  SdlOptions options;
  LazyGameFont font;
  bool pointerHidden = false;
  // Destroyed after the parts have let go of the window.
  std::unique_ptr<VideoSubsystem> video;
  SdlParts parts;

  // Every frame of the game waits for its pace; a screen that presents the same picture again and
  // again with no wait in between (an intro page until Enter comes) is polling the keyboard, and would
  // keep a core busy doing it. Such a present sleeps until the next event (a key, the close button, a
  // repaint) or until POLL_PAUSE has passed, so the poll costs what an idle frame does and answers a
  // key at once. A present that follows a wait, or work of more than POLL_GAP, never sleeps here, so
  // the pace of a frame that only ran long is left alone.
  static constexpr auto POLL_PAUSE = std::chrono::milliseconds(50);
  // SDL's wait sees the window's events at once, not a controller's, which are read by the pump after
  // it: with a controller open the pause is shorter.
  static constexpr auto POLL_PAUSE_WITH_CONTROLLER = std::chrono::milliseconds(16);
  static constexpr auto POLL_GAP = std::chrono::milliseconds(2);
  Clock::time_point lastPresent{};
  bool waitedSincePresent = true;
  void presentDone() {
    lastPresent = Clock::now();
    waitedSincePresent = false;
  }
  void pauseIfPolling() {
    if (!waitedSincePresent && !parts.pump.outsideQuit() && Clock::now() - lastPresent < POLL_GAP) {
      parts.pump.waitForEvent(parts.keys.controllers().openCount() != 0 ? POLL_PAUSE_WITH_CONTROLLER
                                                                        : POLL_PAUSE);
    }
  }
};

SdlPlatform::SdlPlatform(SdlOptions options) : state_(std::make_unique<State>(options)) {}

SdlPlatform::~SdlPlatform() {
  closeWindow();
}

bool SdlPlatform::openWindow(std::string_view title, int width, int height) {
  State& s = *state_;
  SdlParts& p = s.parts;
  closeWindow();
  if (width <= 0 || height <= 0) {
    p.lastError = "window size " + std::to_string(width) + "x" + std::to_string(height) + " is not positive";
    return false;
  }
  // The game takes SIGINT and SIGTERM itself (as a quit request), and a desktop compositor must stay on
  // so that switching to and from the game stays smooth.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    p.lastError = std::string("cannot start SDL video: ") + SDL_GetError();
    return false;
  }
  s.video = std::make_unique<VideoSubsystem>();
  if (!p.presenter.open(title, width, height, s.options.windowed)) {
    closeWindow();
    return false;
  }
  p.pump.start(xConnectionOf(p.presenter.window()));
  SDL_StopTextInput();
  if (s.pointerHidden) SDL_ShowCursor(SDL_DISABLE);
  // Without controller support the game plays on the keyboard alone.
  p.keys.controllers().start();
  p.presenter.redraw();
  return true;
}

void SdlPlatform::closeWindow() {
  State& s = *state_;
  // A window opened again comes up in the mode the player last chose.
  if (s.parts.presenter.window() != nullptr) s.options.windowed = !s.parts.presenter.fullscreen();
  s.parts.keys.controllers().stop();
  s.parts.pump.stop();
  s.parts.presenter.close();
  s.video.reset();
  s.parts.keys.releaseAll();
  s.parts.pointer.reset();
}

void SdlPlatform::hideMousePointer() {
  state_->pointerHidden = true;
  state_->parts.pump.serverTalked();
  if (state_->video) SDL_ShowCursor(SDL_DISABLE);
}

void SdlPlatform::setMousePointerShown(bool shown) {
  // The shell asks on every move of the mouse; SDL is told only of a change.
  if (state_->pointerHidden != shown) return;
  state_->pointerHidden = !shown;
  if (!state_->video) return;
  state_->parts.pump.serverTalked();
  SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

Message SdlPlatform::peekMessage() {
  state_->parts.pump.pump();
  return state_->parts.messages.take();
}

void SdlPlatform::postMessage(Message message) {
  state_->parts.messages.post(message);
}

bool SdlPlatform::readKeyboard(std::uint8_t (&state)[256]) {
  state_->parts.pump.pump();
  state_->parts.keys.snapshot(state);
  return true;
}

bool SdlPlatform::isKeyDown(DirectKey key) {
  state_->parts.pump.pump();
  return state_->parts.keys.isDown(key);
}

void SdlPlatform::takeKeyEvents(std::vector<KeyEvent>& events) {
  state_->parts.pump.pump();
  state_->parts.keys.takeEvents(events);
}

void SdlPlatform::takePointerEvents(std::vector<PointerEvent>& events) {
  state_->parts.pump.pump();
  state_->parts.pointer.takeEvents(events);
}

void SdlPlatform::setFullscreen(bool on) {
  State& s = *state_;
  s.options.windowed = !on;
  s.parts.presenter.setFullscreen(on);
}

bool SdlPlatform::fullscreen() const {
  const State& s = *state_;
  return s.parts.presenter.window() != nullptr ? s.parts.presenter.fullscreen() : !s.options.windowed;
}

void SdlPlatform::setScaling(FitMode scaling) {
  state_->parts.presenter.setScaling(scaling);
}

FitMode SdlPlatform::scaling() const {
  return state_->parts.presenter.scaling();
}

std::uint32_t SdlPlatform::ticks() {
  return static_cast<std::uint32_t>(state_->elapsedMs());
}

void SdlPlatform::waitUntil(std::uint32_t deadline) {
  // Sleeps to the deadline's very moment on the clock ticks() counts on, waking at least every
  // PUMP_INTERVAL to handle the window's events, so a long wait keeps the window served and a wait of
  // one battle frame costs one sleep. On X11 the sleep also ends when the server sends something, which
  // is handled at once. The wait never ends before ticks() reaches the deadline.
  using Clock = State::Clock;
  constexpr auto PUMP_INTERVAL = std::chrono::milliseconds(16);
  State& s = *state_;
  SdlEventPump& pump = s.parts.pump;
  s.waitedSincePresent = true;
  pump.pump();
  const auto now = Clock::now();
  const std::int64_t nowMs = s.elapsedMs(now);
  const auto remaining = static_cast<std::int32_t>(deadline - static_cast<std::uint32_t>(nowMs));
  if (remaining <= 0 || pump.outsideQuit()) return;
  const Clock::time_point target = s.origin + std::chrono::milliseconds(nowMs + remaining);
  for (;;) {
    const auto current = Clock::now();
    if (current >= target) {
      s.waits.add(std::chrono::duration_cast<std::chrono::microseconds>(current - target).count());
      return;
    }
    const bool woken = pump.sleepUntil(std::min(target, current + PUMP_INTERVAL));
    // The deadline's own wake-up returns straight away; the next call that pumps takes the events.
    if (!woken && Clock::now() >= target) continue;
    pump.pump(woken);
    if (pump.outsideQuit()) return;
  }
}

WaitLateness SdlPlatform::waitLateness() const {
  return state_->waits;
}

bool SdlPlatform::present(const Frame& frame) {
  State& s = *state_;
  SdlPresenter& presenter = s.parts.presenter;
  if (!presenter.accept(frame)) return false;
  s.parts.pump.pump();
  switch (presenter.show(frame)) {
    case SdlPresenter::Shown::Failed:
      return false;
    case SdlPresenter::Shown::Unchanged:
      s.pauseIfPolling();
      break;
    case SdlPresenter::Shown::Uploaded:
      break;
  }
  s.presentDone();
  return true;
}

TextRasterizer* SdlPlatform::textRasterizer() {
  return state_->font.get(state_->parts.lastError);
}

bool SdlPlatform::takeScreenshotRequest() {
  state_->parts.pump.pump();
  return state_->parts.pump.takeScreenshotRequest();
}

bool SdlPlatform::quitRequested() {
  // Every call that can sit in a loop pumps the window's events already; a signal may have come since.
  return state_->parts.pump.quitRequested();
}

const std::string& SdlPlatform::lastError() const {
  return state_->parts.lastError;
}

std::uint64_t SdlPlatform::frameUploads() const {
  return state_->parts.presenter.uploads();
}
Frame SdlPlatform::shownFrame() const {
  return state_->parts.presenter.shownFrame();
}
std::uint64_t SdlPlatform::presents() const {
  return state_->parts.presenter.presents();
}
std::uint64_t SdlPlatform::serverPumps() const {
  return state_->parts.pump.serverPumps();
}
std::string SdlPlatform::rendererName() const {
  return state_->parts.presenter.rendererName();
}
SdlParts& SdlPlatform::parts() {
  return state_->parts;
}

}  // namespace varnholt::platform
