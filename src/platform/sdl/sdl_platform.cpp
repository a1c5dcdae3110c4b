// The SDL2 window, renderer, palette conversion, keyboard and clock.
#include "platform/sdl/sdl_platform.h"

#include <SDL2/SDL.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

#include "platform/font/font_rasterizer.h"
#include "platform/message_queue.h"
#include "platform/sdl/frame_conversion.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/sdl_controllers.h"
#include "platform/sdl/x11_window.h"
#include "platform/viewport.h"

namespace varnholt::platform {

namespace {

// Set from the signal handler, turned into Message::Destroy by the next event pump. A second signal
// arriving before the first was taken means the game is not pumping (it hangs): that one ends the
// process the default way, so Ctrl+C twice or a second SIGTERM always works.
std::atomic<bool> quitSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onQuitSignal(int signal) {
  if (quitSignalled.exchange(true)) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

// Installs the quit handlers for SIGINT and SIGTERM and puts the previous ones back when destroyed.
class QuitSignalHandlers {
 public:
  QuitSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed_[0] = sigaction(SIGINT, &action, &previous_[0]) == 0;
    installed_[1] = sigaction(SIGTERM, &action, &previous_[1]) == 0;
  }
  ~QuitSignalHandlers() {
    if (installed_[0]) sigaction(SIGINT, &previous_[0], nullptr);
    if (installed_[1]) sigaction(SIGTERM, &previous_[1], nullptr);
  }
  QuitSignalHandlers(const QuitSignalHandlers&) = delete;
  QuitSignalHandlers& operator=(const QuitSignalHandlers&) = delete;

 private:
  struct sigaction previous_[2]{};
  bool installed_[2] = {false, false};
};

// One reference on SDL's video subsystem.
class VideoSubsystem {
 public:
  VideoSubsystem() = default;
  ~VideoSubsystem() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
  VideoSubsystem(const VideoSubsystem&) = delete;
  VideoSubsystem& operator=(const VideoSubsystem&) = delete;
};

struct WindowDeleter {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct RendererDeleter {
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};

constexpr Uint32 TEXTURE_FORMAT = SDL_PIXELFORMAT_ARGB8888;

bool isEnter(SDL_Scancode scancode) {
  return scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
}

}  // namespace

struct SdlPlatform::State {
  // ticks() counts milliseconds on the steady clock from the backend's creation, so a wait can sleep
  // to the exact moment its deadline is reached.
  using Clock = std::chrono::steady_clock;
  Clock::time_point origin = Clock::now();
  std::int64_t elapsedMs(Clock::time_point now = Clock::now()) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - origin).count();
  }
  WaitLateness waits;

  SdlOptions options;
  std::string lastError;
  MessageQueue messages;
  LazyGameFont font;

  // Declared in the order they are created; destroyed in reverse.
  std::unique_ptr<VideoSubsystem> video;
  std::unique_ptr<QuitSignalHandlers> signals;
  std::unique_ptr<SDL_Window, WindowDeleter> window;
  std::unique_ptr<SDL_Renderer, RendererDeleter> renderer;
  std::unique_ptr<SDL_Texture, TextureDeleter> texture;
  int textureWidth = 0;
  int textureHeight = 0;
  bool textureFilled = false;
  // What the texture holds; a present of the same picture leaves the screen as it is.
  ShownFrame shown;
  std::uint64_t uploads = 0;
  std::uint64_t presents = 0;

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
    const auto now = Clock::now();
    if (!waitedSincePresent && !outsideQuit && now - lastPresent < POLL_GAP) {
      SDL_Event event;
      const auto pause = controllers.openCount() != 0 ? POLL_PAUSE_WITH_CONTROLLER : POLL_PAUSE;
      const bool woken = SDL_WaitEventTimeout(&event, static_cast<int>(pause.count())) != 0;
      // SDL's wait pumped the window's events.
      pumped();
      lastPump = lastFullPump;
      if (woken) handle(event);
      controllers.update();
      pump();
    }
  }

  // Palette conversion: rebuilt only when the frame's palette differs from the one it was built from.
  PaletteLookup lookup{};
  std::array<PaletteEntry, 256> lookupPalette{};
  bool lookupValid = false;
  std::uint64_t lookupBuilds = 0;

  // Keys held down, by SDL scancode, as the key events report them. An Enter that switched the display
  // mode (Alt+Enter) is hidden from the game until it is released.
  std::array<bool, SDL_NUM_SCANCODES> down{};
  std::array<bool, SDL_NUM_SCANCODES> hidden{};
  // Presses and releases not yet taken, for input that must see every press; the oldest are dropped
  // when nobody takes them.
  std::deque<KeyEvent> keyEvents;
  static constexpr std::size_t KEY_EVENT_LIMIT = 1024;
  void keyEvent(int scancode, bool isDown) {
    const std::uint8_t code = directInputCode(scancode);
    if (code == 0 || controllers.isDown(code)) return;
    pushKeyEvent(code, isDown);
  }
  void pushKeyEvent(std::uint8_t code, bool isDown) {
    if (keyEvents.size() >= KEY_EVENT_LIMIT) keyEvents.pop_front();
    keyEvents.push_back(KeyEvent{code, isDown, static_cast<std::uint32_t>(elapsedMs())});
  }

  // Game controllers, a second keyboard. A key is down while the keyboard or a controller holds it,
  // and it goes down and comes up as the two together do: letting go of a controller's button leaves
  // the same key held on the keyboard down, and the other way round.
  SdlControllers controllers;
  std::vector<PadKeyChange> padChanges;
  bool handleController(const SDL_Event& event) {
    padChanges.clear();
    if (!controllers.handle(event, padChanges)) return false;
    for (const PadKeyChange& change : padChanges) {
      if (!keyboardHolds(change.code)) pushKeyEvent(change.code, change.down);
    }
    return true;
  }
  bool keyboardHolds(std::uint8_t code) const {
    const int scancode = sdlScancode(code);
    return scancode != SDL_SCANCODE_UNKNOWN && visibleDown(static_cast<SDL_Scancode>(scancode));
  }

  bool fullscreen = false;
  int windowedWidth = 0;
  int windowedHeight = 0;
  bool pointerHidden = false;
  bool screenshotRequested = false;

  // The close button or a quit signal. The quit message is posted for a loop that only looks at
  // messages; quitRequested() tells the game to stop the frame it is in.
  bool outsideQuit = false;
  void postQuitRequest() {
    outsideQuit = true;
    if (!messages.contains(Message::Destroy)) messages.post(Message::Destroy);
  }

  bool ensureTexture(int width, int height) {
    if (texture && textureWidth == width && textureHeight == height) return true;
    texture.reset(
        SDL_CreateTexture(renderer.get(), TEXTURE_FORMAT, SDL_TEXTUREACCESS_STREAMING, width, height));
    textureFilled = false;
    enlarged.reset();
    if (!texture) {
      lastError = std::string("cannot create the frame texture: ") + SDL_GetError();
      return false;
    }
    SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
    textureWidth = width;
    textureHeight = height;
    return true;
  }

  void rebuildLookup(const PaletteEntry* palette) {
    if (lookupValid && std::memcmp(lookupPalette.data(), palette, sizeof(PaletteEntry) * 256) == 0) return;
    std::memcpy(lookupPalette.data(), palette, sizeof(PaletteEntry) * 256);
    buildPaletteLookup(palette, lookup);
    lookupValid = true;
    ++lookupBuilds;
  }

  // The frame enlarged a whole number of times, sharp, for the fit placement to be smoothed down
  // from; remade after every upload, kept for repaints of the same picture.
  std::unique_ptr<SDL_Texture, TextureDeleter> enlarged;
  int enlargedScale = 0;
  bool enlargedValid = false;

  // What the fit placement is drawn from: the frame itself when the place is a whole multiple of it
  // (or the enlargement cannot be made), else the enlarged frame. Sets the scale mode the copy uses.
  SDL_Texture* fitSource(const ViewportRect& place) {
    const int scale = enlargement(place.width, place.height, textureWidth, textureHeight);
    const bool whole = place.width == scale * textureWidth && place.height == scale * textureHeight;
    if (whole || scale == 1) {
      SDL_SetTextureScaleMode(texture.get(), whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
      return texture.get();
    }
    if (!enlarged || enlargedScale != scale) {
      enlarged.reset(SDL_CreateTexture(renderer.get(), TEXTURE_FORMAT, SDL_TEXTUREACCESS_TARGET,
                                       scale * textureWidth, scale * textureHeight));
      enlargedScale = scale;
      enlargedValid = false;
      if (!enlarged) {
        SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeLinear);
        return texture.get();
      }
      SDL_SetTextureScaleMode(enlarged.get(), SDL_ScaleModeLinear);
    }
    if (!enlargedValid) {
      SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
      SDL_SetRenderTarget(renderer.get(), enlarged.get());
      SDL_RenderCopy(renderer.get(), texture.get(), nullptr, nullptr);
      SDL_SetRenderTarget(renderer.get(), nullptr);
      enlargedValid = true;
    }
    return enlarged.get();
  }

  // Draws the texture letterboxed into the window; black when no frame has been shown yet.
  void redraw() {
    if (!renderer) return;
    // Drawing talks to the X server, and replies may bring events in with them.
    xTalked();
    SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer.get());
    if (texture && textureFilled) {
      int outputWidth = 0;
      int outputHeight = 0;
      SDL_GetRendererOutputSize(renderer.get(), &outputWidth, &outputHeight);
      const ViewportRect place =
          fitFrame(outputWidth, outputHeight, textureWidth, textureHeight, options.scaling);
      SDL_Texture* source = options.scaling == FitMode::Fit ? fitSource(place) : texture.get();
      const SDL_Rect target{place.x, place.y, place.width, place.height};
      SDL_RenderCopy(renderer.get(), source, nullptr, &target);
    }
    SDL_RenderPresent(renderer.get());
  }

  // SDL loses the window's own size when the window starts full screen (the renderer may have it
  // create the window afresh, at the screen's size), and then leaves full screen with a screen-sized
  // window. The game's size, or the one the player gave the window, is put back here.
  void restoreWindowedSize() {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window.get(), &width, &height);
    if (windowedWidth <= 0 || windowedHeight <= 0 || (width == windowedWidth && height == windowedHeight))
      return;
    SDL_SetWindowSize(window.get(), windowedWidth, windowedHeight);
    SDL_SetWindowPosition(window.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }

  void toggleFullscreen() {
    if (!window) return;
    xTalked();
    if (!fullscreen) SDL_GetWindowSize(window.get(), &windowedWidth, &windowedHeight);
    const Uint32 flags = fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (SDL_SetWindowFullscreen(window.get(), flags) == 0) fullscreen = !fullscreen;
    if (!fullscreen) restoreWindowedSize();
    matchWindowToItsSize(window.get());
    redraw();
  }

  void handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        postQuitRequest();
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          postQuitRequest();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                   event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                   event.window.event == SDL_WINDOWEVENT_SHOWN ||
                   event.window.event == SDL_WINDOWEVENT_RESTORED) {
          // The game may not present again for a while (nothing changes on an idle screen), so the
          // window is repainted from the texture here.
          redraw();
        }
        break;
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET:
        // The texture's contents are gone; the next present fills a new one, even with the same picture.
        texture.reset();
        enlarged.reset();
        textureFilled = false;
        shown.forget();
        break;
      case SDL_KEYDOWN: {
        const SDL_Scancode scancode = event.key.keysym.scancode;
        if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) break;
        down[scancode] = true;
        if (event.key.repeat != 0) break;
        if (scancode == SDL_SCANCODE_F11) {
          toggleFullscreen();
        } else if (isEnter(scancode) && (event.key.keysym.mod & KMOD_ALT) != 0) {
          hidden[scancode] = true;
          toggleFullscreen();
        } else if (scancode == SDL_SCANCODE_F12) {
          screenshotRequested = true;
        }
        if (!hidden[scancode]) keyEvent(scancode, true);
        break;
      }
      case SDL_KEYUP: {
        const SDL_Scancode scancode = event.key.keysym.scancode;
        if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) break;
        if (down[scancode]) keyEvent(scancode, false);
        down[scancode] = false;
        hidden[scancode] = false;
        break;
      }
      default:
        handleController(event);
        break;
    }
  }

  // Asking the X server for new events costs a system call or more each time, and a frame makes
  // about ten calls that pump within a few microseconds (the quit test, the keyboard read, the wait,
  // the present). The server is asked at most every PUMP_SPACING, which leaves a key state that old
  // at worst; the events already in SDL's queue (those SDL_PushEvent put there too) are handled on
  // every call.
  static constexpr auto PUMP_SPACING = std::chrono::milliseconds(2);
  Clock::time_point lastPump{};
  // On X11 a wait sleeps in poll() on the connection to the server (xConnection). When it sleeps to
  // its end, nothing came from the server; until PUMP_SPACING after that moment (xQuietAt), and with
  // nothing left in Xlib's own queue, a pump would find no window event, and SDL's pump is skipped.
  // Anything else that talks to the server (drawing, switching the display mode, the pointer) may read
  // events in with its replies, where poll() cannot see them: it marks the connection (xTalkedTo), and a
  // wait pumps before it trusts poll() again. SDL's pump also does its own upkeep, and looks for
  // controllers plugged in with it: it still runs at least every SLOW_PUMP. Open controllers are read
  // on every pump, skipped or not: their input does not come through the X connection.
  static constexpr auto SLOW_PUMP = std::chrono::milliseconds(100);
  XConnection xConnection;
  bool xQuiet = false;
  bool xTalkedTo = false;
  Clock::time_point xQuietAt{};
  void xTalked() {
    xQuiet = false;
    xTalkedTo = true;
  }
  Clock::time_point lastFullPump{};
  std::uint64_t fullPumps = 0;
  // SDL has just asked the server for its events: nothing read in before is left untaken.
  void pumped() {
    lastFullPump = Clock::now();
    xQuiet = false;
    xTalkedTo = false;
    ++fullPumps;
  }
  bool nothingToPump(Clock::time_point now) const {
    return xQuiet && now - xQuietAt < PUMP_SPACING && now - lastFullPump < SLOW_PUMP &&
           !xEventsQueued(xConnection);
  }
  void pump(bool force = false) {
    if (quitSignalled.exchange(false)) postQuitRequest();
    if (!video) return;
    const auto now = Clock::now();
    if (force || now - lastPump >= PUMP_SPACING) {
      if (force || !nothingToPump(now)) {
        SDL_PumpEvents();
        controllers.update();
        pumped();
      } else if (controllers.openCount() != 0) {
        controllers.update();
      }
      lastPump = Clock::now();
    }
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) handle(event);
    if (quitSignalled.exchange(false)) postQuitRequest();
  }

  bool visibleDown(SDL_Scancode scancode) const { return down[scancode] && !hidden[scancode]; }

  // Sleeps until `until`, on X11 in poll() on the server connection. True when it woke early because
  // the server sent something (or a signal came): the caller then pumps. A connection that stays
  // readable after a pump is polled again only XWAKE_GAP after that pump, so it can never keep the
  // wait spinning.
  static constexpr auto XWAKE_GAP = std::chrono::milliseconds(1);
  bool sleepWatchingX(Clock::time_point until);
};

SdlPlatform::SdlPlatform(SdlOptions options) : state_(std::make_unique<State>()) {
  state_->options = options;
}

SdlPlatform::~SdlPlatform() {
  closeWindow();
}

bool SdlPlatform::openWindow(std::string_view title, int width, int height) {
  State& s = *state_;
  closeWindow();
  if (width <= 0 || height <= 0) {
    s.lastError = "window size " + std::to_string(width) + "x" + std::to_string(height) + " is not positive";
    return false;
  }
  // The game takes SIGINT and SIGTERM itself (as a quit request), and a desktop compositor must stay on
  // so that switching to and from the game stays smooth.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    s.lastError = std::string("cannot start SDL video: ") + SDL_GetError();
    return false;
  }
  s.video = std::make_unique<VideoSubsystem>();

  const std::string name(title);
  const Uint32 flags = SDL_WINDOW_RESIZABLE | (s.options.windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  s.window.reset(
      SDL_CreateWindow(name.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags));
  if (!s.window) {
    s.lastError = std::string("cannot create the window: ") + SDL_GetError();
    closeWindow();
    return false;
  }
  s.fullscreen = !s.options.windowed;
  s.windowedWidth = width;
  s.windowedHeight = height;
  s.renderer.reset(SDL_CreateRenderer(s.window.get(), -1, 0));
  if (!s.renderer) s.renderer.reset(SDL_CreateRenderer(s.window.get(), -1, SDL_RENDERER_SOFTWARE));
  if (!s.renderer) {
    s.lastError = std::string("cannot create a renderer: ") + SDL_GetError();
    closeWindow();
    return false;
  }
  if (!s.ensureTexture(width, height)) {
    closeWindow();
    return false;
  }
  // After the renderer, which may have had SDL create the window afresh for OpenGL.
  matchWindowToItsSize(s.window.get());
  s.xConnection = xConnectionOf(s.window.get());
  s.xTalked();
  SDL_StopTextInput();
  if (s.pointerHidden) SDL_ShowCursor(SDL_DISABLE);
  s.signals = std::make_unique<QuitSignalHandlers>();
  // Without controller support the game plays on the keyboard alone.
  s.controllers.start();
  s.redraw();
  return true;
}

void SdlPlatform::closeWindow() {
  State& s = *state_;
  s.controllers.stop();
  s.signals.reset();
  s.enlarged.reset();
  s.texture.reset();
  s.renderer.reset();
  s.window.reset();
  s.video.reset();
  s.xConnection = {};
  s.xQuiet = false;
  s.textureWidth = s.textureHeight = 0;
  s.textureFilled = false;
  s.shown.forget();
  s.lookupValid = false;
  s.down.fill(false);
  s.outsideQuit = false;
  s.keyEvents.clear();
  s.hidden.fill(false);
}

void SdlPlatform::hideMousePointer() {
  state_->pointerHidden = true;
  state_->xTalked();
  if (state_->video) SDL_ShowCursor(SDL_DISABLE);
}

Message SdlPlatform::peekMessage() {
  state_->pump();
  return state_->messages.take();
}

void SdlPlatform::postMessage(Message message) {
  state_->messages.post(message);
}

bool SdlPlatform::readKeyboard(std::uint8_t (&state)[256]) {
  State& s = *state_;
  s.pump();
  std::memset(state, 0, sizeof state);
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    if (!s.visibleDown(static_cast<SDL_Scancode>(scancode))) continue;
    if (const std::uint8_t code = directInputCode(scancode); code != 0) state[code] = 0x80;
  }
  s.controllers.markHeld(state);
  return true;
}

bool SdlPlatform::isKeyDown(DirectKey key) {
  State& s = *state_;
  s.pump();
  switch (key) {
    case DirectKey::Escape:
      return s.visibleDown(SDL_SCANCODE_ESCAPE) || s.controllers.isDown(DIK_ESCAPE);
    case DirectKey::Space:
      return s.visibleDown(SDL_SCANCODE_SPACE);
    case DirectKey::Return:
      return s.visibleDown(SDL_SCANCODE_RETURN) || s.visibleDown(SDL_SCANCODE_KP_ENTER) ||
             s.controllers.isDown(DIK_RETURN);
  }
  return false;
}

void SdlPlatform::takeKeyEvents(std::vector<KeyEvent>& events) {
  State& s = *state_;
  s.pump();
  events.insert(events.end(), s.keyEvents.begin(), s.keyEvents.end());
  s.keyEvents.clear();
}

std::uint32_t SdlPlatform::ticks() {
  return static_cast<std::uint32_t>(state_->elapsedMs());
}

bool SdlPlatform::State::sleepWatchingX(Clock::time_point until) {
  if (xConnection.fd < 0) {
    std::this_thread::sleep_until(until);
    return false;
  }
  if (Clock::now() - lastFullPump < XWAKE_GAP) {
    std::this_thread::sleep_until(std::min(until, lastFullPump + XWAKE_GAP));
    return false;
  }
  // Events read in by a reply since the last pump would not wake poll(): they are taken first.
  if (xTalkedTo) pump(true);
  const auto nanoseconds = std::max<std::int64_t>(
      0, std::chrono::duration_cast<std::chrono::nanoseconds>(until - Clock::now()).count());
  const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000),
                         static_cast<long>(nanoseconds % 1000000000)};
  pollfd connection{xConnection.fd, POLLIN, 0};
  const int ready = ppoll(&connection, 1, &timeout, nullptr);
  if (ready == 0) {
    xQuiet = true;
    xQuietAt = Clock::now();
    return false;
  }
  // poll() itself failed (not a signal): the waits go back to plain sleeps and every pump asks the
  // server, as without X11.
  if (ready < 0 && errno != EINTR) xConnection = {};
  // The server sent something, a signal came, or the descriptor broke: a full pump sorts it out.
  return true;
}

void SdlPlatform::waitUntil(std::uint32_t deadline) {
  // Sleeps to the deadline's very moment on the clock ticks() counts on, waking at least every
  // PUMP_INTERVAL to handle the window's events, so a long wait keeps the window served and a wait of
  // one battle frame costs one sleep. On X11 the sleep also ends when the server sends something, which
  // is handled at once. The wait never ends before ticks() reaches the deadline.
  using Clock = State::Clock;
  constexpr auto PUMP_INTERVAL = std::chrono::milliseconds(16);
  State& s = *state_;
  s.waitedSincePresent = true;
  s.pump();
  const auto now = Clock::now();
  const std::int64_t nowMs = s.elapsedMs(now);
  const auto remaining = static_cast<std::int32_t>(deadline - static_cast<std::uint32_t>(nowMs));
  if (remaining <= 0 || s.outsideQuit) return;
  const Clock::time_point target = s.origin + std::chrono::milliseconds(nowMs + remaining);
  for (;;) {
    const auto current = Clock::now();
    if (current >= target) {
      s.waits.add(std::chrono::duration_cast<std::chrono::microseconds>(current - target).count());
      return;
    }
    const bool woken = s.sleepWatchingX(std::min(target, current + PUMP_INTERVAL));
    // The deadline's own wake-up returns straight away; the next call that pumps takes the events.
    if (!woken && Clock::now() >= target) continue;
    s.pump(woken);
    if (s.outsideQuit) return;
  }
}

WaitLateness SdlPlatform::waitLateness() const {
  return state_->waits;
}

bool SdlPlatform::present(const Frame& frame) {
  State& s = *state_;
  if (frame.pixels == nullptr || frame.palette == nullptr || frame.width <= 0 || frame.height <= 0 ||
      frame.pitch < frame.width) {
    s.lastError = "present: frame without pixels or palette, or with a bad size or pitch";
    return false;
  }
  ++s.presents;
  s.pump();
  if (!s.renderer) {
    s.lastError = "present: no window is open";
    return false;
  }
  if (!s.ensureTexture(frame.width, frame.height)) return false;
  // The game presents about fifty times a second whether or not anything moved. Without this, an idle
  // screen costs a conversion, an upload and a full repaint each time (a sixth of a core with a software
  // GL). The pacing is unchanged: the renderer does not wait for vsync, the game's own waits pace it.
  if (s.textureFilled && s.shown.matches(frame)) {
    s.pauseIfPolling();
    s.presentDone();
    return true;
  }
  s.rebuildLookup(frame.palette);

  void* memory = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(s.texture.get(), nullptr, &memory, &pitch) != 0) {
    s.lastError = std::string("present: cannot lock the frame texture: ") + SDL_GetError();
    return false;
  }
  convertFrame(frame, s.lookup, memory, pitch);
  SDL_UnlockTexture(s.texture.get());
  s.enlargedValid = false;
  s.textureFilled = true;
  s.shown.keep(frame);
  ++s.uploads;
  s.redraw();
  s.presentDone();
  return true;
}

TextRasterizer* SdlPlatform::textRasterizer() {
  return state_->font.get(state_->lastError);
}

bool SdlPlatform::takeScreenshotRequest() {
  state_->pump();
  const bool requested = state_->screenshotRequested;
  state_->screenshotRequested = false;
  return requested;
}

bool SdlPlatform::quitRequested() {
  // Every call that can sit in a loop pumps the window's events already; a signal may have come since.
  if (quitSignalled.exchange(false)) state_->postQuitRequest();
  return state_->outsideQuit;
}

const std::string& SdlPlatform::lastError() const {
  return state_->lastError;
}

void SdlPlatform::toggleFullscreen() {
  state_->toggleFullscreen();
}
bool SdlPlatform::fullscreen() const {
  return state_->fullscreen;
}
void SdlPlatform::pumpEvents() {
  state_->pump(true);
}
std::uint64_t SdlPlatform::paletteLookupBuilds() const {
  return state_->lookupBuilds;
}
std::uint64_t SdlPlatform::frameUploads() const {
  return state_->uploads;
}
Frame SdlPlatform::shownFrame() const {
  return state_->textureFilled ? state_->shown.view() : Frame{};
}
std::uint64_t SdlPlatform::presents() const {
  return state_->presents;
}
std::uint64_t SdlPlatform::serverPumps() const {
  return state_->fullPumps;
}
std::string SdlPlatform::rendererName() const {
  SDL_RendererInfo info{};
  if (!state_->renderer || SDL_GetRendererInfo(state_->renderer.get(), &info) != 0 || info.name == nullptr)
    return {};
  return info.name;
}
std::uint32_t SdlPlatform::windowId() const {
  return state_->window ? SDL_GetWindowID(state_->window.get()) : 0;
}

}  // namespace varnholt::platform
