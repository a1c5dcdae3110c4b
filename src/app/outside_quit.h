#pragma once
// Ending the game at once when the user asks from outside it (the window's close button, SIGINT,
// SIGTERM). Escape and Space keep their own way out (the quit message, at least one more frame); a
// request from outside stops the frame that is running (a FrameStop), even a splash or result picture that
// waits for seconds or an intro page waiting for Enter, and the frame loop shuts the game down.

#include "app/platform_decorator.h"

namespace varnholt::app {

class OutsideQuit : public PlatformDecorator {
 public:
  using PlatformDecorator::PlatformDecorator;

  // Between frames the request is the quit message itself, so the loop ends on this turn.
  platform::Message peekMessage() override;
  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;
  void waitUntil(std::uint32_t deadline) override;
  bool present(const platform::Frame& frame) override;

 private:
  void stopIfRequested();
};

}  // namespace varnholt::app
