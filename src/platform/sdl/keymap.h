#pragma once
// Translation from SDL's physical key positions (scancodes) to DirectInput key codes. Both name the key
// by where it sits on the keyboard, not by what it types, so a table from one to the other keeps the
// game's keys on the same physical keys under every layout.

#include <cstdint>

namespace varnholt::platform {

// The DirectInput code of an SDL scancode, or 0 for keys DirectInput's keyboard has no code for.
std::uint8_t directInputCode(int sdlScancode);
// The SDL scancode of a DirectInput code, or 0 (SDL_SCANCODE_UNKNOWN) for a code no key has.
int sdlScancode(std::uint8_t directInputCode);

}  // namespace varnholt::platform
