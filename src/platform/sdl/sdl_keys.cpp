// The SDL backend's key state: SDL's key and controller events in, the game's keys out.
#include "platform/sdl/sdl_keys.h"

#include <cstring>

#include "platform/sdl/keymap.h"

namespace varnholt::platform {

namespace {

bool isEnter(SDL_Scancode scancode) {
  return scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
}

}  // namespace

KeyAction SdlKeys::handleKey(const SDL_KeyboardEvent& key, std::uint32_t ticks) {
  const SDL_Scancode scancode = key.keysym.scancode;
  if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return KeyAction::None;
  if (key.type == SDL_KEYUP) {
    if (down_[scancode]) keyEvent(scancode, false, ticks);
    down_[scancode] = false;
    hidden_[scancode] = false;
    return KeyAction::None;
  }
  if (key.type != SDL_KEYDOWN) return KeyAction::None;
  down_[scancode] = true;
  if (key.repeat != 0) return KeyAction::None;
  KeyAction action = KeyAction::None;
  if (scancode == SDL_SCANCODE_F11) {
    action = KeyAction::ToggleFullscreen;
  } else if (isEnter(scancode) && (key.keysym.mod & KMOD_ALT) != 0) {
    hidden_[scancode] = true;
    action = KeyAction::ToggleFullscreen;
  } else if (scancode == SDL_SCANCODE_F12) {
    action = KeyAction::Screenshot;
  }
  if (!hidden_[scancode]) keyEvent(scancode, true, ticks);
  return action;
}

bool SdlKeys::handleController(const SDL_Event& event, std::uint32_t ticks) {
  padChanges_.clear();
  if (!controllers_.handle(event, padChanges_)) return false;
  for (const PadKeyChange& change : padChanges_) {
    if (!keyboardHolds(change.code)) pushEvent(change.code, change.down, ticks);
  }
  return true;
}

void SdlKeys::snapshot(std::uint8_t (&state)[256]) const {
  std::memset(state, 0, sizeof state);
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    if (!visibleDown(static_cast<SDL_Scancode>(scancode))) continue;
    if (const std::uint8_t code = directInputCode(scancode); code != 0) state[code] = 0x80;
  }
  controllers_.markHeld(state);
}

bool SdlKeys::isDown(DirectKey key) const {
  switch (key) {
    case DirectKey::Escape:
      return visibleDown(SDL_SCANCODE_ESCAPE) || controllers_.isDown(DIK_ESCAPE);
    case DirectKey::Space:
      return visibleDown(SDL_SCANCODE_SPACE);
    case DirectKey::Return:
      return visibleDown(SDL_SCANCODE_RETURN) || visibleDown(SDL_SCANCODE_KP_ENTER) ||
             controllers_.isDown(DIK_RETURN);
  }
  return false;
}

void SdlKeys::takeEvents(std::vector<KeyEvent>& events) {
  events.insert(events.end(), events_.begin(), events_.end());
  events_.clear();
}

void SdlKeys::releaseAll() {
  down_.fill(false);
  hidden_.fill(false);
  events_.clear();
}

bool SdlKeys::keyboardHolds(std::uint8_t code) const {
  const int scancode = sdlScancode(code);
  return scancode != SDL_SCANCODE_UNKNOWN && visibleDown(static_cast<SDL_Scancode>(scancode));
}

void SdlKeys::keyEvent(int scancode, bool isDown, std::uint32_t ticks) {
  const std::uint8_t code = directInputCode(scancode);
  if (code == 0 || controllers_.isDown(code)) return;
  pushEvent(code, isDown, ticks);
}

void SdlKeys::pushEvent(std::uint8_t code, bool isDown, std::uint32_t ticks) {
  if (events_.size() >= EVENT_LIMIT) events_.pop_front();
  events_.push_back(KeyEvent{code, isDown, ticks});
}

}  // namespace varnholt::platform
