#pragma once
// The desktop backend: an SDL2 window showing the 8-bit frame scaled to fit (aspect kept, letterboxed;
// whole-number nearest-neighbour steps, or the largest size that fits drawn sharp and even), desktop full
// screen by default or windowed, F11 or Alt+Enter to switch, or the shell at run time, which may change the
// placement too. The keyboard snapshot is kept from SDL's key events and translated to DirectInput codes;
// the mouse and the first finger give pointer events in frame pixels (sdl_pointer.h). The close button,
// SIGINT and SIGTERM ask the game to quit as Escape does. Waits sleep most of their time and keep handling
// window events, so the desktop never sees the window hang; on X11 they sleep watching the server connection,
// wake when it sends something, and leave it unasked after a quiet sleep. Presenting the picture already on
// screen does nothing, and the window repaints itself from the last one when the desktop asks, so an idle
// screen costs almost no processor time. Game controllers hold keys beside the keyboard's
// (sdl_controllers.h). SdlPlatform is the clock, the waits and the composition of four parts: the key state
// (sdl_keys.h), the pointer (sdl_pointer.h), the presenter (sdl_presenter.h) and the event pump
// (sdl_event_pump.h).

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/viewport.h"

namespace varnholt::platform {

struct SdlParts;

struct SdlOptions {
  bool windowed = false;
  FitMode scaling = FitMode::Integer;
};

// How late the waits ended: how many ended within each tenth of a millisecond after their deadline.
struct WaitLateness {
  static constexpr int BUCKETS = 100;  // 0.0-0.1 ms ... 9.9-10 ms, then one for everything later
  std::array<std::uint64_t, BUCKETS + 1> counts{};
  std::uint64_t total = 0;
  std::int64_t worstMicroseconds = 0;
  void add(std::int64_t microseconds) {
    const std::int64_t bucket = microseconds / 100;
    ++counts[static_cast<std::size_t>(bucket < BUCKETS ? bucket : BUCKETS)];
    ++total;
    if (microseconds > worstMicroseconds) worstMicroseconds = microseconds;
  }
  // The lateness in milliseconds that `share` (0..1) of the waits stayed under (a bucket's upper edge).
  double percentileMs(double share) const {
    std::uint64_t seen = 0;
    for (int i = 0; i <= BUCKETS; ++i) {
      seen += counts[static_cast<std::size_t>(i)];
      if (total > 0 && static_cast<double>(seen) >= share * static_cast<double>(total)) return (i + 1) / 10.0;
    }
    return 0.0;
  }
};

class SdlPlatform : public Platform {
 public:
  explicit SdlPlatform(SdlOptions options = {});
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  bool openWindow(std::string_view title, int width, int height) override;
  void closeWindow() override;
  void hideMousePointer() override;
  void setMousePointerShown(bool shown) override;

  Message peekMessage() override;
  void postMessage(Message message) override;

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(DirectKey key) override;
  void takeKeyEvents(std::vector<KeyEvent>& events) override;
  void takePointerEvents(std::vector<PointerEvent>& events) override;

  std::uint32_t ticks() override;
  void waitUntil(std::uint32_t deadline) override;

  bool present(const Frame& frame) override;
  TextRasterizer* textRasterizer() override;
  bool takeScreenshotRequest() override;
  bool quitRequested() override;
  const std::string& lastError() const override;

  // Desktop full screen or a window: what the window is now (F11 and Alt+Enter switch it too), or is
  // opened as. A change repaints at once, and a window opened later keeps the mode last chosen.
  void setFullscreen(bool on);
  bool fullscreen() const;
  // How the frame is placed in the window; a change repaints at once.
  void setScaling(FitMode scaling);
  FitMode scaling() const;

  // How many presents converted and uploaded a picture; presenting the picture already on screen does
  // neither.
  std::uint64_t frameUploads() const;
  // The picture on screen, as the last present that changed it gave it (pitch = width); valid until
  // the next present. A frame without pixels while nothing has been shown.
  Frame shownFrame() const;
  // How many presents were asked for, uploaded or not.
  std::uint64_t presents() const;
  // How many times SDL's own pump ran, asking the window system for events. On X11 a pump finds the
  // server silent after a wait that slept to its end and is skipped, so an idle screen runs it about
  // ten times a second.
  std::uint64_t serverPumps() const;
  // The name of the renderer SDL chose ("opengl", "software", ...); empty while no window is open.
  std::string rendererName() const;
  // How late the waits that had to sleep ended after their deadline.
  WaitLateness waitLateness() const;
  // The backend's parts (sdl_parts.h), for tests and tools that look at one of them.
  SdlParts& parts();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace varnholt::platform
