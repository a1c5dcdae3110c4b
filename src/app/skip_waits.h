#pragma once
// Long holds a key press can end: the splash sequence and a result picture (victory, defeat, the end of
// the campaign) keep the screen still for ten seconds and more, and here a press ends that wait at once.
// The game is never told: its frames run exactly as they would have, only sooner, and no key reaches it
// that it would not have seen.
//
// How a hold is told apart, from the waits alone: every other wait of the game ends within a second of
// its frame's start, so a wait whose deadline lies more than kHoldMs ahead is a hold. It sleeps in slices
// of kSliceMs on the backend's own wait and looks for a fresh press between them (a press that came after
// the hold began, from the keyboard or a controller button the backend delivers as a key, or a press of
// any mouse button or a touch on the window; a key already down when the hold began does not count until
// it has been let go; modifiers and the backend's own F11 and F12 never count).
//
// What a skip does: the clock the game reads jumps to the wait's deadline, as if the wait had run to its
// end; from then on the clock runs that much ahead of the backend's. Every further wait of the same frame
// returns at once the same way (the splash's later pictures, and what the frame still waits for after a
// result picture). A frame is one turn of the frame loop, and each turn begins by taking a window message:
// the next peekMessage() ends the frame's skipping.
//
// The press that skips is used up: until that key is let go the game does not see it down, neither in its
// keyboard snapshot, nor in a direct test, nor as a key event. Escape and Space, the quit keys, are the
// exception: they end the hold and are left for the game's quit test at the next frame's start, so a
// quit during the splash is not held up for half a minute. A pointer press that skips is used up with
// its release: neither is handed on, while the moves and leaves around them are, in order. Key and
// pointer events are stamped on the game's clock. Waits that are not holds, pointer events outside holds,
// and every session with no press during a hold, pass straight through.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/platform_decorator.h"

namespace varnholt::app {

class SkipWaits : public PlatformDecorator {
 public:
  // A wait whose deadline lies further ahead than this is a hold a press may end.
  static constexpr std::uint32_t kHoldMs = 1500;
  // How long a hold sleeps between two looks for a press: the most a skip lags behind its press.
  static constexpr std::uint32_t kSliceMs = 25;
  // Key events kept for a game that does not take them (the frame key mode), and pointer events kept
  // for a shell that does not take them; the oldest go first.
  static constexpr std::size_t kEventLimit = 1024;

  using PlatformDecorator::PlatformDecorator;

  platform::Message peekMessage() override;
  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override;
  void takePointerEvents(std::vector<platform::PointerEvent>& events) override;
  std::uint32_t ticks() override;
  void waitUntil(std::uint32_t deadline) override;

  // How many holds a press has ended so far.
  int skips() const { return skips_; }
  // How far the game's clock runs ahead of the backend's.
  std::uint32_t clockAhead() const { return ahead_; }

 private:
  void hold(std::uint32_t deadline);
  // Moves the backend's key events to pending_, stamped on the game's clock.
  void takeInnerEvents();
  // A fresh press since the hold began, looked for in the events from index `from` of pending_ and in a
  // keyboard snapshot; its down event, if any, is taken out of pending_.
  std::optional<std::uint8_t> freshPress(std::size_t from);
  void eraseDown(std::uint8_t code, std::size_t from);
  // Moves the backend's pointer events to pendingPointer_, stamped on the game's clock, leaving out the
  // release of a press that skipped.
  void takeInnerPointerEvents();
  // A pointer press since index `from` of pendingPointer_, taken out of it with its release.
  bool pointerPress(std::size_t from);

  std::uint32_t ahead_ = 0;
  bool skipping_ = false;  // a hold of this frame was skipped: its further waits return at once
  int usedUp_ = -1;        // the key whose press skipped, hidden until it is let go; -1: none
  int skips_ = 0;
  std::vector<platform::KeyEvent> pending_;
  std::array<bool, 256> heldAtHold_{};  // down when the hold began and not let go since
  std::vector<platform::PointerEvent> pendingPointer_;
  // The button (and whether it was a touch) whose press skipped and whose release has not come yet.
  struct UsedUpPointer {
    platform::PointerButton button = platform::PointerButton::None;
    bool touch = false;
  };
  std::optional<UsedUpPointer> usedUpPointer_;
};

}  // namespace varnholt::app
