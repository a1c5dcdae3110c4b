// The whole SDL backend on SDL's dummy video driver, with no display: mouse events pushed into SDL's
// queue come out of the platform in frame pixels, the pointer is shown and hidden, and the display mode
// and the placement switch at run time, by call or by F11.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <vector>

#include "platform/sdl/sdl_parts.h"
#include "platform/sdl/sdl_platform.h"

namespace varnholt::platform {
namespace {

constexpr int WIDTH = 800;
constexpr int HEIGHT = 600;

class DummySdl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "dummy", 1), 0);
    palette[1] = {200, 0, 0, 0};
  }
  // Opens the window; a failure of the test when it cannot.
  bool open(SdlPlatform& platform) {
    if (platform.openWindow("Varnholt", WIDTH, HEIGHT)) return true;
    ADD_FAILURE() << platform.lastError();
    return false;
  }
  bool present(SdlPlatform& platform) {
    return platform.present({pixels.data(), WIDTH, HEIGHT, WIDTH, palette.data()});
  }

  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(WIDTH * HEIGHT, 1);
  std::vector<PaletteEntry> palette = std::vector<PaletteEntry>(256);
};

void push(SDL_Event event) {
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

SDL_Event click(Uint32 type, Uint8 button, Sint32 x, Sint32 y) {
  SDL_Event event{};
  event.type = type;
  event.button.button = button;
  event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.button.x = x;
  event.button.y = y;
  return event;
}

SDL_Event key(Uint32 type, SDL_Scancode scancode) {
  SDL_Event event{};
  event.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode;
  return event;
}

TEST_F(DummySdl, ClicksComeOutInFramePixelsStampedOnTheBackendsClock) {
  SdlPlatform platform(SdlOptions{true});
  if (!open(platform)) return;
  ASSERT_TRUE(present(platform)) << platform.lastError();
  const std::uint32_t before = platform.ticks();
  push(click(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
  push(click(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 11, 21));
  std::vector<PointerEvent> events;
  platform.takePointerEvents(events);
  const std::uint32_t after = platform.ticks();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, PointerEvent::Kind::Press);
  EXPECT_EQ(events[0].button, PointerButton::Primary);
  EXPECT_FALSE(events[0].touch);
  EXPECT_TRUE(events[0].inside);
  EXPECT_EQ(events[0].x, 10);
  EXPECT_EQ(events[0].y, 20);
  EXPECT_EQ(events[1].kind, PointerEvent::Kind::Release);
  EXPECT_EQ(events[1].x, 11);
  EXPECT_GE(events[0].ticks, before);
  EXPECT_LE(events[1].ticks, after);

  // Closing the window drops what was not taken.
  push(click(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 10, 20));
  platform.parts().pump.pump(true);
  platform.closeWindow();
  events.clear();
  platform.takePointerEvents(events);
  EXPECT_TRUE(events.empty());
}

TEST_F(DummySdl, ThePointerIsShownAndHiddenOnlyOnAChange) {
  SdlPlatform platform(SdlOptions{true});
  // Asked before the window opens, applied when it does.
  platform.hideMousePointer();
  if (!open(platform)) return;
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  platform.setMousePointerShown(true);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  // Shown already: SDL is not asked again, so a cursor hidden behind the backend's back stays hidden.
  SDL_ShowCursor(SDL_DISABLE);
  platform.setMousePointerShown(true);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  platform.setMousePointerShown(false);
  platform.setMousePointerShown(true);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  // The game's hide at its start works as it always did.
  platform.hideMousePointer();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(DummySdl, TheDisplayModeAndThePlacementSwitchAtRunTime) {
  SdlPlatform platform(SdlOptions{true});
  EXPECT_FALSE(platform.fullscreen());
  platform.setScaling(FitMode::Fit);
  EXPECT_EQ(platform.scaling(), FitMode::Fit);
  if (!open(platform)) return;
  ASSERT_TRUE(present(platform)) << platform.lastError();
  EXPECT_EQ(platform.parts().presenter.scaling(), FitMode::Fit);

  // F11 switches, and fullscreen() follows it.
  push(key(SDL_KEYDOWN, SDL_SCANCODE_F11));
  push(key(SDL_KEYUP, SDL_SCANCODE_F11));
  platform.parts().pump.pump(true);
  EXPECT_TRUE(platform.fullscreen());
  platform.setFullscreen(false);
  EXPECT_FALSE(platform.fullscreen());
  EXPECT_FALSE(platform.parts().presenter.fullscreen());
  platform.setFullscreen(true);
  EXPECT_TRUE(platform.parts().presenter.fullscreen());

  // The placement of the screen-sized window follows the scaling, and so do the clicks on it.
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(platform.parts().presenter.window(), &width, &height);
  platform.setScaling(FitMode::Integer);
  EXPECT_EQ(platform.scaling(), FitMode::Integer);
  const ViewportRect place = fitFrame(width, height, WIDTH, HEIGHT, FitMode::Integer);
  EXPECT_GT(place.x, 0) << "the dummy driver's screen is larger than the frame";
  push(click(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, place.x, place.y));
  std::vector<PointerEvent> events;
  platform.takePointerEvents(events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].button, PointerButton::Secondary);
  EXPECT_TRUE(events[0].inside);
  EXPECT_EQ(events[0].x, 0) << "window " << width << "x" << height;
  EXPECT_EQ(events[0].y, 0);

  // A window opened again keeps the mode last chosen.
  platform.closeWindow();
  EXPECT_TRUE(platform.fullscreen());
  if (!open(platform)) return;
  EXPECT_TRUE(platform.parts().presenter.fullscreen());
  EXPECT_EQ(platform.scaling(), FitMode::Integer);
}

}  // namespace
}  // namespace varnholt::platform
