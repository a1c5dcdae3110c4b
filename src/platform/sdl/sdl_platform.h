#pragma once
// The desktop backend: an SDL2 window showing the 8-bit frame scaled to fit (nearest neighbour, aspect
// kept, letterboxed, whole-number scale when it fits), desktop full screen by default or windowed, F11 or
// Alt+Enter to switch. The keyboard snapshot is kept from SDL's key events and translated to DirectInput
// codes. The close button, SIGINT and SIGTERM ask the game to quit as Escape does. Waits sleep most of
// their time and keep handling window events, so the desktop never sees the window hang. Presenting the
// picture already on screen does nothing, and the window repaints itself from the last one when the
// desktop asks, so an idle screen costs almost no processor time.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace varnholt::platform {

struct SdlOptions {
  bool windowed = false;
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

  Message peekMessage() override;
  void postMessage(Message message) override;

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(DirectKey key) override;

  std::uint32_t ticks() override;
  void waitUntil(std::uint32_t deadline) override;

  bool present(const Frame& frame) override;
  TextRasterizer* textRasterizer() override;
  bool takeScreenshotRequest() override;
  const std::string& lastError() const override;

  // Switches between desktop full screen and a window, as F11 and Alt+Enter do.
  void toggleFullscreen();
  bool fullscreen() const;
  // Handles the window events that are waiting (the backend also does this in every call that can sit
  // in a loop: peeking, key tests, waits and presenting).
  void pumpEvents();
  // How often the palette's lookup table has been built: once, then once per palette change.
  std::uint64_t paletteLookupBuilds() const;
  // How many presents converted and uploaded a picture; presenting the picture already on screen does
  // neither.
  std::uint64_t frameUploads() const;
  // SDL's id of the window, 0 while none is open: for tests and tools that look at the window itself.
  std::uint32_t windowId() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace varnholt::platform
