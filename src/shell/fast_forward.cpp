// Kept keys run on the live game without waits or presenting.
#include "shell/fast_forward.h"

namespace varnholt::shell {

void FastForward::begin(app::KeyScript script) {
  clock_.set(ticks());
  script_ = std::move(script);
  keyboard_ = std::make_unique<app::ScriptedKeyboard>(inner(), *script_);
  last_.reset();
}

void FastForward::beginFrame(int frame) {
  if (keyboard_) keyboard_->beginFrame(frame);
}

void FastForward::end(bool present) {
  if (!keyboard_) return;
  keyboard_.reset();
  script_.reset();
  ahead_ = clock_.now() - inner().ticks();
  if (present && last_) {
    // The backend saw none of the pictures in between: all of this one may have changed.
    platform::Frame frame = *last_;
    frame.changed = nullptr;
    frame.changedCount = 0;
    inner().present(frame);
  }
  last_.reset();
}

bool FastForward::readKeyboard(std::uint8_t (&state)[256]) {
  return keyboard_ ? keyboard_->readKeyboard(state) : PlatformDecorator::readKeyboard(state);
}

bool FastForward::isKeyDown(platform::DirectKey key) {
  return keyboard_ ? keyboard_->isKeyDown(key) : PlatformDecorator::isKeyDown(key);
}

void FastForward::takeKeyEvents(std::vector<platform::KeyEvent>& events) {
  // The kept keys stand for the player's while fast-forwarding: a key event would be a key the game
  // never saw in the session being rebuilt.
  if (keyboard_) return;
  PlatformDecorator::takeKeyEvents(events);
}

std::uint32_t FastForward::ticks() {
  return keyboard_ ? clock_.now() : PlatformDecorator::ticks() + ahead_;
}

void FastForward::waitUntil(std::uint32_t deadline) {
  if (keyboard_) {
    clock_.waitUntil(deadline);
    return;
  }
  PlatformDecorator::waitUntil(deadline - ahead_);
}

bool FastForward::present(const platform::Frame& frame) {
  if (!keyboard_) return PlatformDecorator::present(frame);
  last_ = frame;
  clock_.framePresented();
  return true;
}

}  // namespace varnholt::shell
