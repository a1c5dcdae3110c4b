#pragma once
// Keys that act once per press (--keys press). The classic keyboard shows a key as down for as long as
// it is held, so a tap that lasts a few frames acts a few times and one shorter than a frame can be
// missed. Here every press is shown as down to exactly one look at that key, however long or short it
// was, and a key held down repeats the way a desktop's key repeat does.
//
// The looks: a keyboard read looks at every key the game reads from the snapshot (Escape and Space are
// left to the direct tests, the game's way to quit, so a read never swallows them); a direct test looks
// at its key. A direct Enter test made after a read, with no read in between, answers as that read did:
// it is the same look at the keyboard (an intro page reads the keyboard, shows the page, then tests
// Enter), so the press that the read took is the one the test sees.
//
// The mode can be switched while the game runs (the options menu): switched off, the backend's snapshot
// and direct tests pass through untouched, as frame keys, while the key events are still followed, so
// that switched on again it knows which keys are held and shows no press from before as a new one.

#include <array>
#include <cstdint>
#include <vector>

#include "app/platform_decorator.h"

namespace varnholt::app {

class PressKeys : public PlatformDecorator {
 public:
  // A held key is seen again this long after its press, then every kRepeatMs.
  static constexpr std::uint32_t kRepeatDelayMs = 400;
  static constexpr std::uint32_t kRepeatMs = 100;

  using PlatformDecorator::PlatformDecorator;

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;

  // On (the default): presses act once. Off: frame keys.
  void setEnabled(bool enabled);
  bool enabled() const { return enabled_; }

 private:
  struct Key {
    bool held = false;     // physically down
    bool waiting = false;  // a press (or a repeat) no look has seen yet
    std::uint32_t nextRepeat = 0;
  };
  void takeEvents();
  // Whether a look at `code` now sees it down; the press it sees is used up.
  bool look(std::uint8_t code);

  std::array<Key, 256> keys_{};
  std::vector<platform::KeyEvent> events_;
  bool anyRead_ = false;  // a keyboard read was made: Enter tests answer as the latest one
  bool enterInRead_ = false;
  bool enabled_ = true;
};

}  // namespace varnholt::app
