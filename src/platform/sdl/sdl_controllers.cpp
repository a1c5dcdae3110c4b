// Game controllers as a second keyboard: opening and closing them, and their buttons and left stick
// turned into the game's keys.
#include "platform/sdl/sdl_controllers.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "platform/platform.h"

namespace varnholt::platform {
namespace {

// The keys a controller can hold, one bit each in this order.
constexpr std::uint8_t PAD_KEYS[] = {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT, DIK_RETURN, DIK_BACK, DIK_ESCAPE};
constexpr unsigned UP = 1u << 0;
constexpr unsigned DOWN = 1u << 1;
constexpr unsigned LEFT = 1u << 2;
constexpr unsigned RIGHT = 1u << 3;
constexpr unsigned ENTER = 1u << 4;
constexpr unsigned BACKSPACE = 1u << 5;
constexpr unsigned ESCAPE = 1u << 6;

unsigned buttonKey(Uint8 button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return DOWN;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return RIGHT;
    case SDL_CONTROLLER_BUTTON_A:
      return ENTER;
    case SDL_CONTROLLER_BUTTON_B:
      return BACKSPACE;
    case SDL_CONTROLLER_BUTTON_BACK:
      return ESCAPE;
    default:
      return 0;
  }
}

}  // namespace

int stickDirection(int held, int value) {
  if (held > 0 && value > STICK_RELEASE) return 1;
  if (held < 0 && value < -STICK_RELEASE) return -1;
  if (value >= STICK_PRESS) return 1;
  if (value <= -STICK_PRESS) return -1;
  return 0;
}

unsigned SdlControllers::Pad::keys() const {
  unsigned keys = buttons;
  if (stickX < 0) keys |= LEFT;
  if (stickX > 0) keys |= RIGHT;
  if (stickY < 0) keys |= UP;
  if (stickY > 0) keys |= DOWN;
  return keys;
}

SdlControllers::~SdlControllers() {
  stop();
}

bool SdlControllers::start() {
  if (started_) return true;
  // Face buttons by where they sit, not by their labels, so the south button chooses on every make of
  // controller (a Nintendo layout labels its east button A).
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  // The backend decides when the devices are read (update()), not every SDL_PumpEvents.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  started_ = true;
  // For measuring the game with a controller plugged in where there is none (bench/idle_cpu.sh): a
  // virtual one that nobody moves.
  if (const char* virtualPad = std::getenv("VARNHOLT_VIRTUAL_CONTROLLER"); virtualPad && *virtualPad == '1') {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Varnholt virtual controller";
    SDL_JoystickAttachVirtualEx(&desc);
  }
  // SDL also announces these with an added event; opening is done once per controller all the same.
  // The game starts with no key held, so what these hold now counts from its next change.
  for (int device = 0; device < SDL_NumJoysticks(); ++device) open(device, false);
  return true;
}

void SdlControllers::update() {
  if (started_) SDL_JoystickUpdate();
}

void SdlControllers::stop() {
  for (const Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
  pads_.clear();
  if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  started_ = false;
}

void SdlControllers::open(int deviceIndex, bool readHeld) {
  if (deviceIndex < 0 || deviceIndex >= SDL_NumJoysticks() || !SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || find(id) != nullptr) return;
  // A controller that cannot be opened is left alone: the keyboard still works.
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) return;
  Pad pad{controller, id};
  // SDL reports a button or axis only when it changes; one pressed between the controller's arrival
  // and its opening would otherwise be missed.
  if (readHeld) {
    for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
      if (SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(button)) != 0)
        pad.buttons |= buttonKey(static_cast<Uint8>(button));
    }
    pad.stickX = stickDirection(0, SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    pad.stickY = stickDirection(0, SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
  }
  pads_.push_back(pad);
}

void SdlControllers::close(SDL_JoystickID id) {
  const auto pad = std::find_if(pads_.begin(), pads_.end(), [id](const Pad& p) { return p.id == id; });
  if (pad == pads_.end()) return;
  SDL_GameControllerClose(pad->controller);
  pads_.erase(pad);
}

SdlControllers::Pad* SdlControllers::find(SDL_JoystickID id) {
  for (Pad& pad : pads_) {
    if (pad.id == id) return &pad;
  }
  return nullptr;
}

unsigned SdlControllers::held() const {
  unsigned keys = 0;
  for (const Pad& pad : pads_) keys |= pad.keys();
  return keys;
}

bool SdlControllers::isDown(std::uint8_t code) const {
  const unsigned keys = held();
  for (std::size_t i = 0; i < std::size(PAD_KEYS); ++i) {
    if (PAD_KEYS[i] == code) return (keys & (1u << i)) != 0;
  }
  return false;
}

void SdlControllers::markHeld(std::uint8_t (&state)[256]) const {
  const unsigned keys = held();
  for (std::size_t i = 0; i < std::size(PAD_KEYS); ++i) {
    if ((keys & (1u << i)) != 0) state[PAD_KEYS[i]] = 0x80;
  }
}

bool SdlControllers::handle(const SDL_Event& event, std::vector<PadKeyChange>& changes) {
  const unsigned before = held();
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      if (started_) open(event.cdevice.which, true);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      // What the controller held is let go with it: no key stays down for a controller that is gone.
      close(event.cdevice.which);
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (Pad* pad = find(event.cbutton.which)) {
        const unsigned key = buttonKey(event.cbutton.button);
        pad->buttons = event.type == SDL_CONTROLLERBUTTONDOWN ? pad->buttons | key : pad->buttons & ~key;
      }
      break;
    case SDL_CONTROLLERAXISMOTION:
      if (Pad* pad = find(event.caxis.which)) {
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
          pad->stickX = stickDirection(pad->stickX, event.caxis.value);
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
          pad->stickY = stickDirection(pad->stickY, event.caxis.value);
      }
      break;
    default:
      return false;
  }
  const unsigned after = held();
  for (std::size_t i = 0; i < std::size(PAD_KEYS); ++i) {
    const unsigned bit = 1u << i;
    if (((before ^ after) & bit) != 0) changes.push_back(PadKeyChange{PAD_KEYS[i], (after & bit) != 0});
  }
  return true;
}

}  // namespace varnholt::platform
