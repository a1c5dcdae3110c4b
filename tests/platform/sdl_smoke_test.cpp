// The SDL backend against a real X display (run under Xvfb): opening the window in both modes,
// presenting frames, the keys and quit requests that arrive as events, the mouse, waits, and closing.
// Setting VARNHOLT_SMOKE_HOLD_MS keeps the test picture on screen that long, for a screenshot.
// xvfb-run starts no window manager, so full screen here is the backend's own doing; the window's real
// size and contents are read back from the X server.
#include "platform/sdl/sdl_platform.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/sdl/sdl_parts.h"
#include "x11_window_view.h"

namespace varnholt::platform {
namespace {

constexpr int WIDTH = 800;
constexpr int HEIGHT = 600;

// A recognisable picture: colour bars, a frame around the edge and a line of text.
struct TestPicture {
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(WIDTH * HEIGHT, 0);
  std::array<PaletteEntry, 256> palette{};

  explicit TestPicture(TextRasterizer* font) {
    const PaletteEntry colours[] = {{16, 16, 24, 0},   {200, 40, 40, 0}, {40, 180, 60, 0},  {50, 80, 220, 0},
                                    {230, 200, 60, 0}, {32, 32, 32, 0},  {240, 240, 240, 0}};
    for (std::size_t i = 0; i < std::size(colours); ++i) palette[i] = colours[i];
    for (int y = 0; y < HEIGHT; ++y) {
      for (int x = 0; x < WIDTH; ++x) {
        const bool edge = x < 4 || y < 4 || x >= WIDTH - 4 || y >= HEIGHT - 4;
        pixels[y * WIDTH + x] = edge ? 4 : static_cast<std::uint8_t>(y < 400 ? 1 + x * 3 / WIDTH : 6);
      }
    }
    TextMask mask;
    if (font != nullptr && font->render("Varnholt: the platform smoke test, 800 x 600, 8-bit", mask)) {
      for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width && 20 + x < WIDTH; ++x) {
          if (mask.ink[y * mask.width + x] != 0) pixels[(450 + y) * WIDTH + 20 + x] = 5;
        }
      }
    }
  }
  Frame frame() const { return {pixels.data(), WIDTH, HEIGHT, WIDTH, palette.data()}; }
};

void pushKey(Uint32 type, SDL_Scancode scancode, Uint16 modifiers = KMOD_NONE) {
  SDL_Event event{};
  event.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
  event.key.keysym.mod = modifiers;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// The test picture's landmarks, relative to its top-left corner on screen: the yellow edge, the red
// and blue bars, the light lower part, and black just outside it.
void expectPictureAt(SdlPlatform& platform, int left, int top, const char* where) {
  SCOPED_TRACE(where);
  const auto at = [&](int x, int y) {
    return xWindowPixel(platform.parts().presenter.windowId(), left + x, top + y);
  };
  EXPECT_EQ(at(1, 1), 0xE6C83Cu);
  EXPECT_EQ(at(100, 100), 0xC82828u);
  EXPECT_EQ(at(700, 100), 0x3250DCu);
  EXPECT_EQ(at(400, 420), 0xF0F0F0u);
  EXPECT_EQ(at(WIDTH - 2, HEIGHT - 2), 0xE6C83Cu);
  if (left > 0 && top > 0) {
    EXPECT_EQ(at(-1, -1), 0u);
  }
}

bool snapshotHas(SdlPlatform& platform, int code) {
  std::uint8_t state[256];
  platform.readKeyboard(state);
  return state[code] != 0;
}

TEST(SdlSmoke, OpensFullScreenPresentsAndCloses) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  EXPECT_TRUE(platform.parts().presenter.fullscreen());
  platform.hideMousePointer();
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

  TextRasterizer* font = platform.textRasterizer();
  ASSERT_NE(font, nullptr) << platform.lastError();
  TestPicture picture(font);
  ASSERT_TRUE(platform.present(picture.frame())) << platform.lastError();
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_EQ(platform.parts().presenter.paletteLookupBuilds(), 1u);
  picture.palette[1].red = 90;
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_EQ(platform.parts().presenter.paletteLookupBuilds(), 2u);

  if (const char* hold = std::getenv("VARNHOLT_SMOKE_HOLD_MS"); hold != nullptr) {
    platform.waitUntil(platform.ticks() + static_cast<std::uint32_t>(std::atoi(hold)));
  }
  EXPECT_EQ(platform.peekMessage(), Message::None);
  platform.closeWindow();
  EXPECT_FALSE(platform.present(picture.frame()));
}

TEST(SdlSmoke, FullScreenCoversTheScreenEvenWithoutAWindowManager) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  if (std::string(SDL_GetCurrentVideoDriver()) != "x11") GTEST_SKIP() << "not an X11 window";
  ASSERT_TRUE(xWindowGeometry(platform.parts().presenter.windowId()).has_value()) << SDL_GetError();
  SDL_Rect screen{};
  ASSERT_EQ(SDL_GetDisplayBounds(0, &screen), 0) << SDL_GetError();
  ASSERT_GE(screen.w, WIDTH);
  ASSERT_GE(screen.h, HEIGHT);
  // The landmarks are checked where the picture is shown at its own size (xvfb-run's screen is
  // 1280 x 1024); on a larger screen only the window's size is.
  const int scale = std::min(screen.w / WIDTH, screen.h / HEIGHT);
  const int left = (screen.w - WIDTH * scale) / 2;
  const int top = (screen.h - HEIGHT * scale) / 2;

  const TestPicture picture(nullptr);
  ASSERT_TRUE(platform.present(picture.frame()));
  const XWindowGeometry full = xWindowGeometry(platform.parts().presenter.windowId()).value();
  EXPECT_EQ(full.x, screen.x);
  EXPECT_EQ(full.y, screen.y);
  EXPECT_EQ(full.width, screen.w);
  EXPECT_EQ(full.height, screen.h);
  if (scale == 1) expectPictureAt(platform, left, top, "full screen");

  // Each switch repaints from the picture already uploaded: the game need not present again.
  platform.parts().presenter.toggleFullscreen();
  const XWindowGeometry window = xWindowGeometry(platform.parts().presenter.windowId()).value();
  EXPECT_EQ(window.width, WIDTH);
  EXPECT_EQ(window.height, HEIGHT);
  expectPictureAt(platform, 0, 0, "windowed");
  platform.parts().presenter.toggleFullscreen();
  EXPECT_EQ(xWindowGeometry(platform.parts().presenter.windowId()).value().width, screen.w);
  if (scale == 1) expectPictureAt(platform, left, top, "full screen again");
  EXPECT_EQ(platform.frameUploads(), 1u);
}

TEST(SdlSmoke, OnlyAChangedPictureIsConvertedAndUploaded) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  TestPicture picture(nullptr);
  ASSERT_TRUE(platform.present(picture.frame()));
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_EQ(platform.frameUploads(), 1u);

  picture.pixels[WIDTH * HEIGHT - 1] = 1;
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_EQ(platform.frameUploads(), 2u) << "last pixel changed";
  picture.palette[200].green = 1;
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_EQ(platform.frameUploads(), 3u) << "unused palette entry changed";
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_EQ(platform.frameUploads(), 3u);

  // A window opened afresh shows nothing until a picture is uploaded into it, even the same one.
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_EQ(platform.frameUploads(), 4u);
  if (xWindowGeometry(platform.parts().presenter.windowId())) expectPictureAt(platform, 0, 0, "reopened");
}

TEST(SdlSmoke, APollingScreenSleepsOnItsPresentsYetSeesEveryKeyAndKeepsThePictureShown) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  EXPECT_EQ(platform.shownFrame().pixels, nullptr);
  TestPicture picture(nullptr);
  ASSERT_TRUE(platform.present(picture.frame()));
  // An intro page's loop: read, present the same picture, test Enter, with no wait in between. The
  // present waits for an event, and the one that comes is handled before the loop looks again.
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(snapshotHas(platform, DIK_RETURN));
    ASSERT_TRUE(platform.present(picture.frame()));
  }
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
  ASSERT_TRUE(platform.present(picture.frame()));
  EXPECT_TRUE(platform.isKeyDown(DirectKey::Return));
  EXPECT_TRUE(snapshotHas(platform, DIK_RETURN));
  pushKey(SDL_KEYUP, SDL_SCANCODE_RETURN);
  EXPECT_EQ(platform.frameUploads(), 1u);
  EXPECT_EQ(platform.presents(), 5u);

  // What F12 saves: the picture on screen, row by row, with its palette.
  const Frame shown = platform.shownFrame();
  ASSERT_NE(shown.pixels, nullptr);
  EXPECT_EQ(shown.width, WIDTH);
  EXPECT_EQ(shown.height, HEIGHT);
  EXPECT_TRUE(std::equal(picture.pixels.begin(), picture.pixels.end(), shown.pixels));
  EXPECT_EQ(shown.palette[4].red, picture.palette[4].red);
  platform.closeWindow();
  EXPECT_EQ(platform.shownFrame().pixels, nullptr);
}

TEST(SdlSmoke, KeysReachTheSnapshotAndTheDirectTest) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  EXPECT_FALSE(platform.parts().presenter.fullscreen());

  pushKey(SDL_KEYDOWN, SDL_SCANCODE_UP);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);
  EXPECT_TRUE(snapshotHas(platform, DIK_UP));
  EXPECT_TRUE(platform.isKeyDown(DirectKey::Escape));
  EXPECT_FALSE(platform.isKeyDown(DirectKey::Space));
  pushKey(SDL_KEYUP, SDL_SCANCODE_UP);
  pushKey(SDL_KEYUP, SDL_SCANCODE_ESCAPE);
  EXPECT_FALSE(snapshotHas(platform, DIK_UP));
  EXPECT_FALSE(platform.isKeyDown(DirectKey::Escape));

  // The keypad's Enter counts as Enter for the direct test, as it does on the original platform.
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER);
  EXPECT_TRUE(platform.isKeyDown(DirectKey::Return));
  EXPECT_FALSE(snapshotHas(platform, DIK_RETURN));
  pushKey(SDL_KEYUP, SDL_SCANCODE_KP_ENTER);

  // A key pressed and released between two reads leaves no trace.
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
  pushKey(SDL_KEYUP, SDL_SCANCODE_LEFT);
  EXPECT_FALSE(snapshotHas(platform, DIK_LEFT));
}

TEST(SdlSmoke, DisplayModeKeysSwitchAndAltEnterNeverReachesTheGame) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  TestPicture picture(nullptr);
  ASSERT_TRUE(platform.present(picture.frame()));

  pushKey(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);
  EXPECT_FALSE(snapshotHas(platform, DIK_RETURN));
  EXPECT_FALSE(platform.isKeyDown(DirectKey::Return));
  EXPECT_TRUE(platform.parts().presenter.fullscreen());
  // Still hidden after Alt is let go, until Enter itself comes up.
  pushKey(SDL_KEYUP, SDL_SCANCODE_LALT);
  EXPECT_FALSE(platform.isKeyDown(DirectKey::Return));
  pushKey(SDL_KEYUP, SDL_SCANCODE_RETURN);
  pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
  EXPECT_TRUE(platform.isKeyDown(DirectKey::Return));
  EXPECT_TRUE(snapshotHas(platform, DIK_RETURN));
  pushKey(SDL_KEYUP, SDL_SCANCODE_RETURN);

  pushKey(SDL_KEYDOWN, SDL_SCANCODE_F11);
  pushKey(SDL_KEYUP, SDL_SCANCODE_F11);
  platform.parts().pump.pump(true);
  EXPECT_FALSE(platform.parts().presenter.fullscreen());
  EXPECT_TRUE(platform.present(picture.frame()));

  pushKey(SDL_KEYDOWN, SDL_SCANCODE_F12);
  pushKey(SDL_KEYUP, SDL_SCANCODE_F12);
  EXPECT_TRUE(platform.takeScreenshotRequest());
  EXPECT_FALSE(platform.takeScreenshotRequest());
}

TEST(SdlSmoke, CloseButtonAndSignalsAskToQuitOnce) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  SDL_PushEvent(&quit);
  EXPECT_EQ(platform.peekMessage(), Message::Destroy);
  EXPECT_EQ(platform.peekMessage(), Message::None);

  for (const int signal : {SIGTERM, SIGINT}) {
    ASSERT_EQ(std::raise(signal), 0);
    EXPECT_EQ(platform.peekMessage(), Message::Destroy) << "signal " << signal;
    EXPECT_EQ(platform.peekMessage(), Message::None);
  }

  // Posted messages keep their order behind the quit request.
  platform.postMessage(Message::Quit);
  EXPECT_EQ(platform.peekMessage(), Message::Quit);

  platform.closeWindow();
  struct sigaction current {};
  sigaction(SIGTERM, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

TEST(SdlSmokeDeathTest, ASecondSignalBeforeThePumpEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SdlPlatform platform(SdlOptions{true});
        if (!platform.openWindow("Varnholt", WIDTH, HEIGHT)) std::exit(3);
        std::raise(SIGTERM);
        std::raise(SIGTERM);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST(SdlSmoke, WaitsReachTheirDeadlineAndKeepTheWindowServed) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  const std::uint32_t start = platform.ticks();
  platform.waitUntil(start + 30);
  EXPECT_GE(platform.ticks() - start, 30u);
  EXPECT_EQ(platform.waitLateness().total, 1u);

  // A quit request from outside is handled during a wait and ends it at once.
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  const std::uint32_t longWait = platform.ticks();
  platform.waitUntil(longWait + 60000);
  EXPECT_LT(platform.ticks() - longWait, 60000u);
  EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 0);
  EXPECT_TRUE(platform.quitRequested());
  EXPECT_EQ(platform.peekMessage(), Message::Destroy);

  const std::uint32_t before = platform.ticks();
  platform.waitUntil(before - 5);
  EXPECT_LT(platform.ticks() - before, 1000u);
}

// The loop of an idle battle frame: wait for the frame's pace, read the keys, test Escape, present
// the same picture again.
void idleFrame(SdlPlatform& platform, const Frame& frame) {
  platform.waitUntil(platform.ticks() + 10);
  std::uint8_t state[256];
  platform.readKeyboard(state);
  platform.isKeyDown(DirectKey::Escape);
  platform.present(frame);
}

TEST(SdlSmoke, IdleFramesLeaveTheServerAloneYetAKeyFromItIsSeenAtOnce) {
  SdlPlatform platform(SdlOptions{true});
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  const std::optional<unsigned long> window = xWindowId(platform.parts().presenter.windowId());
  if (!window) GTEST_SKIP() << "not an X11 window";
  if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is missing";
  const TestPicture picture(nullptr);
  ASSERT_TRUE(platform.present(picture.frame()));
  const std::string focus = "xdotool windowfocus --sync " + std::to_string(*window);
  ASSERT_EQ(std::system(focus.c_str()), 0);

  // Every frame's wait sleeps to its end with nothing from the server, so SDL's pump runs only for its
  // upkeep, every 100 ms, not once a frame.
  for (int i = 0; i < 5; ++i) idleFrame(platform, picture.frame());
  const std::uint64_t pumpsBefore = platform.serverPumps();
  const auto start = std::chrono::steady_clock::now();
  constexpr int FRAMES = 40;
  for (int i = 0; i < FRAMES; ++i) idleFrame(platform, picture.frame());
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  const std::uint64_t idlePumps = platform.serverPumps() - pumpsBefore;
  // Slack of a few pumps: on a loaded machine (the sanitizer build beside other tests) a sleep now and
  // then ends with the server not yet quiet, and that wait pumps.
  EXPECT_LE(idlePumps, static_cast<std::uint64_t>(elapsed.count() / 100 + 4))
      << "over " << elapsed.count() << " ms";
  EXPECT_LT(idlePumps, static_cast<std::uint64_t>(FRAMES / 2));
  EXPECT_EQ(platform.frameUploads(), 1u);

  // A real key press from the X server in the middle of idle frames reaches the very next frame, and
  // so does its release.
  ASSERT_EQ(std::system("xdotool keydown Up"), 0);
  idleFrame(platform, picture.frame());
  EXPECT_TRUE(snapshotHas(platform, DIK_UP));
  for (int i = 0; i < 3; ++i) idleFrame(platform, picture.frame());
  EXPECT_TRUE(snapshotHas(platform, DIK_UP));
  ASSERT_EQ(std::system("xdotool keyup Up"), 0);
  idleFrame(platform, picture.frame());
  EXPECT_FALSE(snapshotHas(platform, DIK_UP));
}

// The first pointer event of `kind` taken over a few short waits; one of no kind when none comes.
PointerEvent firstPointerEvent(SdlPlatform& platform, PointerEvent::Kind kind) {
  std::vector<PointerEvent> events;
  for (int i = 0; i < 50; ++i) {
    platform.waitUntil(platform.ticks() + 10);
    platform.takePointerEvents(events);
    for (const PointerEvent& event : events) {
      if (event.kind == kind) return event;
    }
  }
  return {PointerEvent::Kind::Leave, PointerButton::None, true};
}

TEST(SdlSmoke, TheRealMouseLandsOnTheFramePixelUnderItThroughTheLetterbox) {
  SdlPlatform platform;
  ASSERT_TRUE(platform.openWindow("Varnholt", WIDTH, HEIGHT)) << platform.lastError();
  if (!xWindowId(platform.parts().presenter.windowId())) GTEST_SKIP() << "not an X11 window";
  if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is missing";
  const TestPicture picture(nullptr);
  ASSERT_TRUE(platform.present(picture.frame()));
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(platform.parts().presenter.window(), &width, &height);
  const ViewportRect place = fitFrame(width, height, WIDTH, HEIGHT);
  ASSERT_EQ(place.width, WIDTH) << "xvfb-run's screen shows the frame at its own size";

  // The window covers the screen from (0, 0): screen and window positions are the same.
  const std::string press = "xdotool mousemove --sync " + std::to_string(place.x + 100) + " " +
                            std::to_string(place.y + 50) + " mousedown 1";
  ASSERT_EQ(std::system(press.c_str()), 0);
  const PointerEvent pressed = firstPointerEvent(platform, PointerEvent::Kind::Press);
  EXPECT_EQ(pressed.button, PointerButton::Primary);
  EXPECT_FALSE(pressed.touch);
  EXPECT_TRUE(pressed.inside);
  EXPECT_EQ(pressed.x, 100);
  EXPECT_EQ(pressed.y, 50);
  // Let go on the bar left of the picture: outside, at the frame's left edge.
  const std::string release = "xdotool mousemove --sync " + std::to_string(place.x / 2) + " " +
                              std::to_string(place.y + 70) + " mouseup 1";
  ASSERT_EQ(std::system(release.c_str()), 0);
  const PointerEvent released = firstPointerEvent(platform, PointerEvent::Kind::Release);
  EXPECT_EQ(released.button, PointerButton::Primary);
  EXPECT_FALSE(released.inside);
  EXPECT_EQ(released.x, 0);
  EXPECT_EQ(released.y, 70);
}

}  // namespace
}  // namespace varnholt::platform
