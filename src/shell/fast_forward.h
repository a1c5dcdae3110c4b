#pragma once
// Running kept keys on the live game: while it fast-forwards, the game's keyboard reads and key tests
// answer from a key script, its waits return at once on a clock of its own (a wait jumps to its
// deadline, a present moves it on by a millisecond, as in a replay) and nothing is presented. When it
// ends, the last picture is presented and every call passes on to the backend, the game's clock going on
// from where the fast-forward left it. The same game is then played live.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/key_script.h"
#include "app/platform_decorator.h"
#include "app/scripted_keyboard.h"
#include "platform/virtual_clock.h"

namespace varnholt::shell {

class FastForward : public app::PlatformDecorator {
 public:
  using PlatformDecorator::PlatformDecorator;

  // Starts answering from `script` (kept here), the clock starting at the game's present time.
  void begin(app::KeyScript script);
  // The frame about to run, from 1, while fast-forwarding.
  void beginFrame(int frame);
  // Hands over to the backend; presents the last picture when `present` is set and there was one.
  void end(bool present);
  bool active() const { return keyboard_ != nullptr; }

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override;
  std::uint32_t ticks() override;
  void waitUntil(std::uint32_t deadline) override;
  bool present(const platform::Frame& frame) override;

 private:
  std::optional<app::KeyScript> script_;
  std::unique_ptr<app::ScriptedKeyboard> keyboard_;
  platform::VirtualClock clock_;
  std::uint32_t ahead_ = 0;  // how far the game's clock runs ahead of the backend's (mod 2^32)
  std::optional<platform::Frame> last_;
};

}  // namespace varnholt::shell
