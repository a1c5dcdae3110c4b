#pragma once
// The SDL backend's event pump: takes SDL's events to the parts they are for (keys and controllers to
// the key state, the mouse and touch to the pointer, repaints and lost textures to the presenter, the
// close button and quit signals to the message queue as a quit request), asks the window system for events no
// more often than it must, and sleeps watching the X server's connection so a wait wakes when the server
// sends something.
//
// On X11, after a sleep that ran to its end with the server silent, SDL's own pump is skipped: until
// PUMP_SPACING after that moment, and with nothing left in Xlib's queue, it would find no window event.
// Anything else that talks to the server (drawing, switching the display mode, the pointer) may read
// events in with its replies, where poll() cannot see them: it calls serverTalked(), and the next sleep
// pumps before it trusts poll() again. SDL's pump also does its own upkeep and looks for controllers
// plugged in, so it still runs at least every SLOW_PUMP. Open controllers are read on every pump, skipped
// or not: their input does not come through the X connection.

#include <SDL2/SDL.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/message_queue.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_pointer.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/sdl/x11_window.h"

namespace varnholt::platform {

class SdlEventPump {
 public:
  using Clock = std::chrono::steady_clock;
  // The window system is asked at most this often: a frame makes about ten calls that pump within a few
  // microseconds (the quit test, the keyboard read, the wait, the present), and each ask costs a system
  // call or more. A key state is then that old at worst; events already in SDL's queue (SDL_PushEvent's
  // too) are handled on every pump.
  static constexpr auto PUMP_SPACING = std::chrono::milliseconds(2);
  static constexpr auto SLOW_PUMP = std::chrono::milliseconds(100);
  // A connection that stays readable after a pump is polled again only this long after that pump, so it
  // can never keep a wait spinning.
  static constexpr auto XWAKE_GAP = std::chrono::milliseconds(1);

  // `ticks` stamps the key and pointer events.
  SdlEventPump(SdlKeys& keys, SdlPointer& pointer, SdlPresenter& presenter, MessageQueue& messages,
               std::function<std::uint32_t()> ticks);
  ~SdlEventPump();
  SdlEventPump(const SdlEventPump&) = delete;
  SdlEventPump& operator=(const SdlEventPump&) = delete;

  // Starts pumping SDL's events (its video is up), takes SIGINT and SIGTERM as quit requests and watches
  // the X server's connection, if there is one (fd -1: none).
  void start(XConnection connection);
  // Stops all that, puts the previous signal handlers back and forgets a quit request.
  void stop();

  // Handles the events waiting; `force` asks the window system whatever the spacing and the silence say.
  // A quit signal is taken even while stopped.
  void pump(bool force = false);
  // Handles one event.
  void handle(const SDL_Event& event);
  // Sleeps until `until`, on X11 in poll() on the server connection. True when it woke early because the
  // server sent something (or a signal came): the caller then pumps with force.
  bool sleepUntil(Clock::time_point until);
  // Sleeps in SDL's own wait until an event comes or `pause` has passed, then handles what came.
  void waitForEvent(std::chrono::milliseconds pause);
  // Something talked to the X server and may have read events in with its replies.
  void serverTalked() {
    xQuiet_ = false;
    xTalkedTo_ = true;
  }

  // The close button or a quit signal came (a signal since the last pump is taken here). The quit
  // message is posted for a loop that only looks at messages.
  bool quitRequested();
  bool outsideQuit() const { return outsideQuit_; }
  // F12 was pressed since the last call.
  bool takeScreenshotRequest();
  // How many times SDL's own pump ran, asking the window system for events.
  std::uint64_t serverPumps() const { return fullPumps_; }
  bool watchingServer() const { return xConnection_.fd >= 0; }

 private:
  class QuitSignalHandlers;
  void postQuitRequest();
  // SDL has just asked the server for its events: nothing read in before is left untaken.
  void pumped();
  bool nothingToPump(Clock::time_point now) const;

  SdlKeys& keys_;
  SdlPointer& pointer_;
  SdlPresenter& presenter_;
  MessageQueue& messages_;
  std::function<std::uint32_t()> ticks_;

  bool active_ = false;
  std::unique_ptr<QuitSignalHandlers> signals_;
  bool outsideQuit_ = false;
  bool screenshotRequested_ = false;

  XConnection xConnection_;
  bool xQuiet_ = false;
  bool xTalkedTo_ = false;
  Clock::time_point xQuietAt_{};
  Clock::time_point lastPump_{};
  Clock::time_point lastFullPump_{};
  std::uint64_t fullPumps_ = 0;
};

}  // namespace varnholt::platform
