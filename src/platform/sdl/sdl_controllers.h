#pragma once
// Game controllers through SDL's GameController API, seen by the game as a second keyboard: the D-pad
// and the left stick hold the arrow keys, the south face button (A) Enter, the east one (B) Backspace,
// Back (Select) Escape. Controllers plugged in or pulled out while the game runs are opened and closed as
// SDL reports them, and pulling one out lets go of every key it held. Several controllers add up: a key
// is held while any of them holds it. The backend merges these keys with the keyboard's.

#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace varnholt::platform {

// A key the controllers started or stopped holding, by DirectInput code.
struct PadKeyChange {
  std::uint8_t code = 0;
  bool down = false;
  bool operator==(const PadKeyChange&) const = default;
};

// The left stick on one axis, with a dead zone that has hysteresis so a stick resting near its edge
// never flickers a key: a direction is taken beyond STICK_PRESS of full deflection and kept until the
// stick comes back inside STICK_RELEASE. `held` is the direction held so far (-1, 0, +1), `value` SDL's
// axis value (-32768 to 32767); returns the direction held now.
inline constexpr int STICK_PRESS = 16384;   // half of full deflection
inline constexpr int STICK_RELEASE = 9830;  // three tenths
int stickDirection(int held, int value);

class SdlControllers {
 public:
  SdlControllers() = default;
  ~SdlControllers();
  SdlControllers(const SdlControllers&) = delete;
  SdlControllers& operator=(const SdlControllers&) = delete;

  // Starts SDL's game controller support and opens the controllers plugged in already. False when SDL
  // cannot start it; the game then plays on the keyboard alone.
  bool start();
  // Closes every controller and stops the support; the keys they held are dropped without changes.
  void stop();

  // Takes a controller event (plugged in, pulled out, a button, an axis) and appends the keys whose
  // state it changed to `changes`. False for every other event.
  bool handle(const SDL_Event& event, std::vector<PadKeyChange>& changes);

  // Whether some controller holds the key with this DirectInput code.
  bool isDown(std::uint8_t code) const;
  // Marks the keys the controllers hold as down (0x80) in a keyboard snapshot.
  void markHeld(std::uint8_t (&state)[256]) const;
  // How many controllers are open.
  std::size_t openCount() const { return pads_.size(); }
  // Reads the controllers and looks for ones plugged in or pulled out, putting what it finds in SDL's
  // event queue. SDL's own event pump leaves this to the backend, which reads open controllers on each of
  // its pumps but looks for new ones only when it asks the window system for events too, so that an idle
  // frame with no controller costs no look at the devices.
  void update();

 private:
  struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    unsigned buttons = 0;  // keys held by buttons, one bit per entry of the key table
    int stickX = 0;        // -1 left, +1 right
    int stickY = 0;        // -1 up, +1 down
    unsigned keys() const;
  };

  // Opens the controller unless it is open already; `readHeld` takes what it holds at this moment.
  void open(int deviceIndex, bool readHeld);
  void close(SDL_JoystickID id);
  Pad* find(SDL_JoystickID id);
  unsigned held() const;

  std::vector<Pad> pads_;
  bool started_ = false;
};

}  // namespace varnholt::platform
