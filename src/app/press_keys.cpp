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
        key.waiting = true;
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

bool PressKeys::readKeyboard(std::uint8_t (&state)[256]) {
  const bool ok = inner().readKeyboard(state);
  takeEvents();
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
  inner().isKeyDown(key);  // keeps the backend's events flowing
  takeEvents();
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
