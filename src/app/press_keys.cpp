// Presses that act once, with key repeat.
#include "app/press_keys.h"

#include <cstring>

namespace varnholt::app {
namespace {

bool reached(std::uint32_t now, std::uint32_t when) {
  return static_cast<std::int32_t>(now - when) >= 0;
}

}  // namespace

void PressKeys::takeEvents() {
  events_.clear();
  inner().takeKeyEvents(events_);
  for (const platform::KeyEvent& event : events_) {
    Key& key = keys_[event.code];
    if (event.down) {
      if (!key.held) {
        // Switched off, a press is only noted as held: nothing is kept to be seen later.
        key.waiting = enabled_;
        key.nextRepeat = event.ticks + kRepeatDelayMs;
      }
      key.held = true;
    } else {
      // A press released before any look saw it stays waiting: it is seen once all the same.
      key.held = false;
    }
  }
}

bool PressKeys::look(std::uint8_t code) {
  Key& key = keys_[code];
  if (key.held && !key.waiting) {
    const std::uint32_t now = inner().ticks();
    if (reached(now, key.nextRepeat)) {
      key.waiting = true;
      // Repeats the game was too busy to look for are not stored up: one is seen, the next comes a
      // repeat interval after the latest that was due.
      while (reached(now, key.nextRepeat)) key.nextRepeat += kRepeatMs;
    }
  }
  const bool seen = key.waiting;
  key.waiting = false;
  return seen;
}

void PressKeys::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  // Neither a press from before the switch nor an Enter of a read made before it is seen after it.
  for (Key& key : keys_) key.waiting = false;
  anyRead_ = false;
  enterInRead_ = false;
}

bool PressKeys::readKeyboard(std::uint8_t (&state)[256]) {
  const bool ok = inner().readKeyboard(state);
  takeEvents();
  if (!enabled_) return ok;
  std::memset(state, 0, sizeof state);
  for (int code = 1; code < 256; ++code) {
    if (code == platform::DIK_ESCAPE || code == platform::DIK_SPACE) continue;
    if (look(static_cast<std::uint8_t>(code))) state[code] = 0x80;
  }
  anyRead_ = true;
  enterInRead_ = state[platform::DIK_RETURN] != 0 || state[platform::DIK_NUMPADENTER] != 0;
  return ok;
}

bool PressKeys::isKeyDown(platform::DirectKey key) {
  const bool down = inner().isKeyDown(key);  // also keeps the backend's events flowing
  takeEvents();
  if (!enabled_) return down;
  switch (key) {
    case platform::DirectKey::Escape:
      return look(platform::DIK_ESCAPE);
    case platform::DirectKey::Space:
      return look(platform::DIK_SPACE);
    case platform::DirectKey::Return: {
      if (anyRead_) return enterInRead_;
      const bool main = look(platform::DIK_RETURN);
      const bool keypad = look(platform::DIK_NUMPADENTER);
      return main || keypad;
    }
  }
  return false;
}

}  // namespace varnholt::app
