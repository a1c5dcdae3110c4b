// Game controllers in the SDL backend, driven through SDL's virtual joysticks so no hardware is needed:
// buttons, the D-pad and the left stick as keys beside the keyboard, the press mode on top of them, and
// controllers plugged in and pulled out while the game runs. Runs in the smoke test's program, on its
// virtual X display.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/press_keys.h"
#include "platform/sdl/sdl_parts.h"
#include "platform/sdl/sdl_platform.h"

namespace varnholt::platform {
namespace {

constexpr int WIDTH = 800;
constexpr int HEIGHT = 600;
constexpr Sint16 FULL = 32767;

// A virtual controller with every button and axis of SDL's standard layout, plugged in while it lives.
// Its buttons and axes are numbered as SDL_GameControllerButton and SDL_GameControllerAxis are.
class VirtualPad {
 public:
  VirtualPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.name = "Varnholt test controller";
    const int device = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(device, 0) << SDL_GetError();
    joystick_ = SDL_JoystickOpen(device);
    EXPECT_NE(joystick_, nullptr) << SDL_GetError();
  }
  ~VirtualPad() { unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  void button(SDL_GameControllerButton which, bool down) {
    buttonUntilRead(which, down);
    deliver();
  }
  // Changes the button as the device would, leaving it to the backend to read the change.
  void buttonUntilRead(SDL_GameControllerButton which, bool down) {
    EXPECT_EQ(SDL_JoystickSetVirtualButton(joystick_, which, down ? 1 : 0), 0) << SDL_GetError();
  }
  // `share` of full deflection, negative to the left or up.
  void axis(SDL_GameControllerAxis which, double share) {
    const auto value = static_cast<Sint16>(share * FULL);
    EXPECT_EQ(SDL_JoystickSetVirtualAxis(joystick_, which, value), 0) << SDL_GetError();
    deliver();
  }
  SDL_JoystickID id() const { return SDL_JoystickInstanceID(joystick_); }

  void unplug() {
    if (joystick_ == nullptr) return;
    const SDL_JoystickID own = id();
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int device = 0; device < SDL_NumJoysticks(); ++device) {
      if (SDL_JoystickGetDeviceInstanceID(device) == own) SDL_JoystickDetachVirtual(device);
    }
    deliver();
  }

 private:
  // The backend reads the controllers at most every few milliseconds; reading them here puts the change
  // in SDL's queue at once, as a real controller's would be by the next look, so the test does not wait.
  static void deliver() { SDL_JoystickUpdate(); }

  SDL_Joystick* joystick_ = nullptr;
};

// The key changes the platform has collected, without their times.
std::vector<std::pair<int, bool>> takeChanges(Platform& platform) {
  std::vector<KeyEvent> events;
  platform.takeKeyEvents(events);
  std::vector<std::pair<int, bool>> changes;
  for (const KeyEvent& event : events) changes.emplace_back(event.code, event.down);
  return changes;
}

// The game's keys that a keyboard read finds down.
std::vector<int> keysDown(Platform& platform) {
  std::uint8_t state[256];
  platform.readKeyboard(state);
  std::vector<int> down;
  for (const int code :
       {DIK_ESCAPE, DIK_BACK, DIK_RETURN, DIK_SPACE, DIK_UP, DIK_LEFT, DIK_RIGHT, DIK_DOWN}) {
    if (state[code] != 0) down.push_back(code);
  }
  return down;
}

void pushKey(Uint32 type, SDL_Scancode scancode) {
  SDL_Event event{};
  event.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

using Changes = std::vector<std::pair<int, bool>>;
using Keys = std::vector<int>;

class SdlControllerInput : public ::testing::Test {
 protected:
  // SDL drops controller input while none of its windows has the keyboard focus, and the X server gives
  // the focus to a new window when it gets round to it; the tests must not depend on when that is.
  void SetUp() override { SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1"); }
  void TearDown() override { SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS); }
};

TEST_F(SdlControllerInput, ButtonsAndDPadActAsKeysBesideTheKeyboard) {
  // A controller plugged in before the game starts is picked up when the window opens.
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  {
    VirtualPad pad;
    SdlPlatform platform(SdlOptions{true});
    ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
    EXPECT_EQ(keysDown(platform), Keys{});

    pad.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(keysDown(platform), Keys{DIK_RETURN});
    EXPECT_TRUE(platform.isKeyDown(DirectKey::Return));
    EXPECT_EQ(takeChanges(platform), (Changes{{DIK_RETURN, true}}));
    // Held: down on every read, and no further press.
    for (int read = 0; read < 3; ++read) EXPECT_EQ(keysDown(platform), Keys{DIK_RETURN});
    EXPECT_EQ(takeChanges(platform), Changes{});

    // The keyboard's Enter and the controller's A are one key: letting go of either leaves it down
    // while the other holds it, and it goes up once, when both are up.
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
    pad.button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(keysDown(platform), Keys{DIK_RETURN});
    EXPECT_TRUE(platform.isKeyDown(DirectKey::Return));
    pad.button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(keysDown(platform), Keys{DIK_RETURN});
    pushKey(SDL_KEYUP, SDL_SCANCODE_RETURN);
    EXPECT_EQ(keysDown(platform), Keys{DIK_RETURN});
    pad.button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(keysDown(platform), Keys{});
    EXPECT_FALSE(platform.isKeyDown(DirectKey::Return));
    EXPECT_EQ(takeChanges(platform), (Changes{{DIK_RETURN, false}}));

    // B is Backspace, Back quits as Escape does, the D-pad holds the arrows; other buttons do nothing.
    pad.button(SDL_CONTROLLER_BUTTON_B, true);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    pad.button(SDL_CONTROLLER_BUTTON_X, true);
    pad.button(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_EQ(keysDown(platform), (Keys{DIK_BACK, DIK_LEFT}));
    EXPECT_FALSE(platform.isKeyDown(DirectKey::Escape));
    pad.button(SDL_CONTROLLER_BUTTON_BACK, true);
    EXPECT_TRUE(platform.isKeyDown(DirectKey::Escape));
    EXPECT_FALSE(platform.isKeyDown(DirectKey::Space));
    for (const auto button :
         {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_X,
          SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_BACK}) {
      pad.button(button, false);
    }
    EXPECT_EQ(keysDown(platform), Keys{});
    // SDL reports the buttons of one update in its own order.
    Changes changes = takeChanges(platform);
    std::sort(changes.begin(), changes.end());
    EXPECT_EQ(changes, (Changes{{DIK_ESCAPE, false},
                                {DIK_ESCAPE, true},
                                {DIK_BACK, false},
                                {DIK_BACK, true},
                                {DIK_LEFT, false},
                                {DIK_LEFT, true}}));
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

TEST_F(SdlControllerInput, TheLeftStickHoldsArrowsPastADeadZoneWithHysteresis) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  VirtualPad pad;
  EXPECT_EQ(keysDown(platform), Keys{});

  // Pressed beyond half of full deflection, let go only back inside three tenths.
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0.45);
  EXPECT_EQ(keysDown(platform), Keys{});
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0.6);
  EXPECT_EQ(keysDown(platform), Keys{DIK_RIGHT});
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0.35);
  EXPECT_EQ(keysDown(platform), Keys{DIK_RIGHT});
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0.2);
  EXPECT_EQ(keysDown(platform), Keys{});
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0.45);
  EXPECT_EQ(keysDown(platform), Keys{});
  EXPECT_EQ(takeChanges(platform), (Changes{{DIK_RIGHT, true}, {DIK_RIGHT, false}}));

  // A diagonal holds two arrows; the stick and the D-pad hold the same arrow apart.
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -1.0);
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -0.7);
  EXPECT_EQ(keysDown(platform), (Keys{DIK_UP, DIK_LEFT}));
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  EXPECT_EQ(keysDown(platform), (Keys{DIK_UP, DIK_LEFT}));
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0.0);
  EXPECT_EQ(keysDown(platform), (Keys{DIK_UP, DIK_LEFT}));
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
  EXPECT_EQ(keysDown(platform), Keys{DIK_LEFT});
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 0.0);
  EXPECT_EQ(keysDown(platform), Keys{});
  // Straight from one side to the other lets go of one arrow and holds the other.
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 1.0);
  EXPECT_EQ(keysDown(platform), Keys{DIK_DOWN});
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -1.0);
  EXPECT_EQ(keysDown(platform), Keys{DIK_UP});
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0.0);
  EXPECT_EQ(keysDown(platform), Keys{});
  EXPECT_EQ(takeChanges(platform), (Changes{{DIK_LEFT, true},
                                            {DIK_UP, true},
                                            {DIK_UP, false},
                                            {DIK_LEFT, false},
                                            {DIK_DOWN, true},
                                            {DIK_UP, true},
                                            {DIK_DOWN, false},
                                            {DIK_UP, false}}));

  // The right stick and the triggers are no keys.
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 1.0);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 1.0);
  EXPECT_EQ(keysDown(platform), Keys{});
}

TEST_F(SdlControllerInput, ThePressModeSeesEachControllerPressOnceAndRepeatsAHeldOne) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  VirtualPad pad;
  app::PressKeys press(platform);
  EXPECT_EQ(keysDown(press), Keys{});

  // A tap between two looks is seen once all the same.
  pad.button(SDL_CONTROLLER_BUTTON_A, true);
  platform.parts().pump.pump(true);
  pad.button(SDL_CONTROLLER_BUTTON_A, false);
  platform.parts().pump.pump(true);
  EXPECT_EQ(keysDown(press), Keys{DIK_RETURN});
  EXPECT_EQ(keysDown(press), Keys{});

  // Held: seen by the first look, then again once the repeat is due, as a held key is.
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  EXPECT_EQ(keysDown(press), Keys{DIK_DOWN});
  EXPECT_EQ(keysDown(press), Keys{});
  platform.waitUntil(platform.ticks() + app::PressKeys::kRepeatDelayMs + 20);
  EXPECT_EQ(keysDown(press), Keys{DIK_DOWN});
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
  platform.waitUntil(platform.ticks() + app::PressKeys::kRepeatDelayMs + 20);
  EXPECT_EQ(keysDown(press), Keys{});

  // Back is seen by the quit test, once per press.
  pad.button(SDL_CONTROLLER_BUTTON_BACK, true);
  EXPECT_TRUE(press.isKeyDown(DirectKey::Escape));
  EXPECT_FALSE(press.isKeyDown(DirectKey::Escape));
}

TEST_F(SdlControllerInput, PullingOutAControllerLetsGoOfWhatItHeld) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  VirtualPad first;
  VirtualPad second;
  first.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  second.axis(SDL_CONTROLLER_AXIS_LEFTY, -1.0);
  second.button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(keysDown(platform), (Keys{DIK_RETURN, DIK_UP}));
  EXPECT_EQ(takeChanges(platform), (Changes{{DIK_UP, true}, {DIK_RETURN, true}}));

  // Up stays down while the other controller holds it.
  first.unplug();
  EXPECT_EQ(keysDown(platform), (Keys{DIK_RETURN, DIK_UP}));
  EXPECT_EQ(takeChanges(platform), Changes{});

  // Told only that the controller is gone, with no word of its buttons: its keys are let go all the same.
  SDL_Event removed{};
  removed.type = SDL_CONTROLLERDEVICEREMOVED;
  removed.cdevice.which = second.id();
  ASSERT_EQ(SDL_PushEvent(&removed), 1) << SDL_GetError();
  EXPECT_EQ(keysDown(platform), Keys{});
  EXPECT_FALSE(platform.isKeyDown(DirectKey::Return));
  EXPECT_EQ(takeChanges(platform), (Changes{{DIK_UP, false}, {DIK_RETURN, false}}));
  second.unplug();
  EXPECT_EQ(keysDown(platform), Keys{});

  // A controller plugged in again is picked up again.
  VirtualPad third;
  third.button(SDL_CONTROLLER_BUTTON_B, true);
  EXPECT_EQ(keysDown(platform), Keys{DIK_BACK});
}

TEST_F(SdlControllerInput, IdleFramesReadAnOpenControllerEveryFrameButLeaveTheServerAlone) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  {
    VirtualPad pad;
    SdlPlatform platform(SdlOptions{true});
    ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
    if (std::string(SDL_GetCurrentVideoDriver()) != "x11") GTEST_SKIP() << "not an X11 window";
    const std::vector<std::uint8_t> pixels(WIDTH * HEIGHT, 1);
    const std::vector<PaletteEntry> palette(256);
    const Frame frame{pixels.data(), WIDTH, HEIGHT, WIDTH, palette.data()};
    // An idle battle frame: its wait, a keyboard read and the same picture presented again.
    const auto idleFrame = [&] {
      platform.waitUntil(platform.ticks() + 10);
      const std::vector<int> down = keysDown(platform);
      platform.present(frame);
      return down;
    };
    for (int i = 0; i < 5; ++i) idleFrame();

    const std::uint64_t pumpsBefore = platform.serverPumps();
    const auto start = std::chrono::steady_clock::now();
    constexpr int FRAMES = 30;
    for (int i = 0; i < FRAMES; ++i) EXPECT_EQ(idleFrame(), Keys{});
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    const std::uint64_t idlePumps = platform.serverPumps() - pumpsBefore;
    EXPECT_LE(idlePumps, static_cast<std::uint64_t>(elapsed.count() / 100 + 2)) << elapsed.count() << " ms";
    EXPECT_LT(idlePumps, static_cast<std::uint64_t>(FRAMES / 2));

    // The controller is read on the frames that leave the server alone: A pressed between two frames
    // is down in the next one, and so is its release.
    pad.buttonUntilRead(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(idleFrame(), Keys{DIK_RETURN});
    EXPECT_EQ(idleFrame(), Keys{DIK_RETURN});
    pad.buttonUntilRead(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(idleFrame(), Keys{});
    EXPECT_EQ(takeChanges(platform), (Changes{{DIK_RETURN, true}, {DIK_RETURN, false}}));
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
}  // namespace varnholt::platform
