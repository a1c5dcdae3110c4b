#pragma once
// The SDL backend's key state: the keyboard as SDL's key events report it, translated to DirectInput
// codes, merged with the keys the game controllers hold (sdl_controllers.h), and the presses and
// releases not yet taken for input that must see every press. F11, Alt+Enter and F12 ask the backend
// for a display-mode switch or a screenshot; an Enter that switched the display mode is hidden from the
// game until it is released. Needs no display: the events can be made by hand.

#include <SDL2/SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_controllers.h"

namespace varnholt::platform {

// What a key press asks of the backend beside being a key.
enum class KeyAction { None, ToggleFullscreen, Screenshot };

class SdlKeys {
 public:
  // Presses and releases kept for a taker; the oldest are dropped when nobody takes them.
  static constexpr std::size_t EVENT_LIMIT = 1024;

  // Takes a key press or release (SDL_KEYDOWN or SDL_KEYUP) that came at `ticks`.
  KeyAction handleKey(const SDL_KeyboardEvent& key, std::uint32_t ticks);
  // Takes a controller event that came at `ticks`; false for every other event.
  bool handleController(const SDL_Event& event, std::uint32_t ticks);

  // The keys held, 0x80 at each held key's DirectInput code, 0 elsewhere.
  void snapshot(std::uint8_t (&state)[256]) const;
  // The direct test: Enter is either Enter key, and the controllers hold Escape and Enter too.
  bool isDown(DirectKey key) const;
  // Appends the presses and releases not taken yet, oldest first, and forgets them.
  void takeEvents(std::vector<KeyEvent>& events);
  // Lets go of every key and drops what was not taken, with no releases reported (the window closed).
  void releaseAll();

  SdlControllers& controllers() { return controllers_; }
  const SdlControllers& controllers() const { return controllers_; }

 private:
  bool visibleDown(SDL_Scancode scancode) const { return down_[scancode] && !hidden_[scancode]; }
  bool keyboardHolds(std::uint8_t code) const;
  void keyEvent(int scancode, bool isDown, std::uint32_t ticks);
  void pushEvent(std::uint8_t code, bool isDown, std::uint32_t ticks);

  // Keys held down, by SDL scancode, as the key events report them.
  std::array<bool, SDL_NUM_SCANCODES> down_{};
  std::array<bool, SDL_NUM_SCANCODES> hidden_{};
  std::deque<KeyEvent> events_;
  // Game controllers, a second keyboard. A key is down while the keyboard or a controller holds it,
  // and it goes down and comes up as the two together do: letting go of a controller's button leaves
  // the same key held on the keyboard down, and the other way round.
  SdlControllers controllers_;
  std::vector<PadKeyChange> padChanges_;
};

}  // namespace varnholt::platform
