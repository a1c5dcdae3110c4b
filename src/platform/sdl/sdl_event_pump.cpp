// The SDL backend's event pump: SDL's events, the X server connection's watch, quit requests.
#include "platform/sdl/sdl_event_pump.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>
#include <utility>

namespace varnholt::platform {

namespace {

// Set from the signal handler, turned into a quit request by the next pump. A second signal arriving
// before the first was taken means the game is not pumping (it hangs): that one ends the process the
// default way, so Ctrl+C twice or a second SIGTERM always works.
std::atomic<bool> quitSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onQuitSignal(int signal) {
  if (quitSignalled.exchange(true)) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

}  // namespace

// Installs the quit handlers for SIGINT and SIGTERM and puts the previous ones back when destroyed.
class SdlEventPump::QuitSignalHandlers {
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

SdlEventPump::SdlEventPump(SdlKeys& keys, SdlPointer& pointer, SdlPresenter& presenter,
                           MessageQueue& messages, std::function<std::uint32_t()> ticks)
    : keys_(keys), pointer_(pointer), presenter_(presenter), messages_(messages), ticks_(std::move(ticks)) {}

SdlEventPump::~SdlEventPump() = default;

void SdlEventPump::start(XConnection connection) {
  active_ = true;
  xConnection_ = connection;
  serverTalked();
  signals_ = std::make_unique<QuitSignalHandlers>();
}

void SdlEventPump::stop() {
  signals_.reset();
  active_ = false;
  xConnection_ = {};
  xQuiet_ = false;
  outsideQuit_ = false;
}

void SdlEventPump::postQuitRequest() {
  outsideQuit_ = true;
  if (!messages_.contains(Message::Destroy)) messages_.post(Message::Destroy);
}

bool SdlEventPump::quitRequested() {
  if (quitSignalled.exchange(false)) postQuitRequest();
  return outsideQuit_;
}

bool SdlEventPump::takeScreenshotRequest() {
  const bool requested = screenshotRequested_;
  screenshotRequested_ = false;
  return requested;
}

void SdlEventPump::pumped() {
  lastFullPump_ = Clock::now();
  xQuiet_ = false;
  xTalkedTo_ = false;
  ++fullPumps_;
}

bool SdlEventPump::nothingToPump(Clock::time_point now) const {
  return xQuiet_ && now - xQuietAt_ < PUMP_SPACING && now - lastFullPump_ < SLOW_PUMP &&
         !xEventsQueued(xConnection_);
}

void SdlEventPump::pump(bool force) {
  if (quitSignalled.exchange(false)) postQuitRequest();
  if (!active_) return;
  const auto now = Clock::now();
  if (force || now - lastPump_ >= PUMP_SPACING) {
    if (force || !nothingToPump(now)) {
      SDL_PumpEvents();
      keys_.controllers().update();
      pumped();
    } else if (keys_.controllers().openCount() != 0) {
      keys_.controllers().update();
    }
    lastPump_ = Clock::now();
  }
  SDL_Event event;
  while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) handle(event);
  if (quitSignalled.exchange(false)) postQuitRequest();
}

void SdlEventPump::waitForEvent(std::chrono::milliseconds pause) {
  SDL_Event event;
  const bool woken = SDL_WaitEventTimeout(&event, static_cast<int>(pause.count())) != 0;
  // SDL's wait pumped the window's events.
  pumped();
  lastPump_ = lastFullPump_;
  if (woken) handle(event);
  keys_.controllers().update();
  pump();
}

void SdlEventPump::handle(const SDL_Event& event) {
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
        // The game may not present again for a while (nothing changes on an idle screen), so the window
        // is repainted from the texture here.
        presenter_.redraw();
      } else if (event.window.event == SDL_WINDOWEVENT_LEAVE) {
        pointer_.handle(event, ticks_ ? ticks_() : 0);
      }
      break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_FINGERDOWN:
    case SDL_FINGERUP:
    case SDL_FINGERMOTION:
      pointer_.handle(event, ticks_ ? ticks_() : 0);
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      // The texture's contents are gone; the next present fills a new one, even with the same picture.
      presenter_.lose();
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      switch (keys_.handleKey(event.key, ticks_ ? ticks_() : 0)) {
        case KeyAction::ToggleFullscreen:
          presenter_.toggleFullscreen();
          break;
        case KeyAction::Screenshot:
          screenshotRequested_ = true;
          break;
        case KeyAction::None:
          break;
      }
      break;
    default:
      keys_.handleController(event, ticks_ ? ticks_() : 0);
      break;
  }
}

bool SdlEventPump::sleepUntil(Clock::time_point until) {
  if (xConnection_.fd < 0) {
    std::this_thread::sleep_until(until);
    return false;
  }
  if (Clock::now() - lastFullPump_ < XWAKE_GAP) {
    std::this_thread::sleep_until(std::min(until, lastFullPump_ + XWAKE_GAP));
    return false;
  }
  // Events read in by a reply since the last pump would not wake poll(): they are taken first.
  if (xTalkedTo_) pump(true);
  const auto nanoseconds = std::max<std::int64_t>(
      0, std::chrono::duration_cast<std::chrono::nanoseconds>(until - Clock::now()).count());
  const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000),
                         static_cast<long>(nanoseconds % 1000000000)};
  pollfd connection{xConnection_.fd, POLLIN, 0};
  const int ready = ppoll(&connection, 1, &timeout, nullptr);
  if (ready == 0) {
    xQuiet_ = true;
    xQuietAt_ = Clock::now();
    return false;
  }
  // poll() itself failed (not a signal): the waits go back to plain sleeps and every pump asks the
  // server, as without X11.
  if (ready < 0 && errno != EINTR) xConnection_ = {};
  // The server sent something, a signal came, or the descriptor broke: a full pump sorts it out.
  return true;
}

}  // namespace varnholt::platform
