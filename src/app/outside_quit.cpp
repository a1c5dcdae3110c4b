// Stopping the running frame when the user asks from outside for the game to end.
#include "app/outside_quit.h"

#include "app/frame_stop.h"

namespace varnholt::app {

void OutsideQuit::stopIfRequested() {
  if (inner().quitRequested()) throw FrameStop::quit();
}

platform::Message OutsideQuit::peekMessage() {
  const platform::Message message = inner().peekMessage();
  return inner().quitRequested() ? platform::Message::Quit : message;
}

bool OutsideQuit::readKeyboard(std::uint8_t (&state)[256]) {
  const bool ok = inner().readKeyboard(state);
  stopIfRequested();
  return ok;
}

bool OutsideQuit::isKeyDown(platform::DirectKey key) {
  const bool down = inner().isKeyDown(key);
  stopIfRequested();
  return down;
}

void OutsideQuit::waitUntil(std::uint32_t deadline) {
  inner().waitUntil(deadline);
  stopIfRequested();
}

bool OutsideQuit::present(const platform::Frame& frame) {
  const bool shown = inner().present(frame);
  stopIfRequested();
  return shown;
}

}  // namespace varnholt::app
