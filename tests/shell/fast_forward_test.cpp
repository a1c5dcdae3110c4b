// Fast-forwarding kept keys over a backend: keys from the script, no waits and no pictures reaching the
// backend, then the last picture presented once and the game's clock going on without a jump back.
#include "shell/fast_forward.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"

namespace varnholt::shell {
namespace {

app::KeyScript script(const std::string& text) {
  std::string error;
  auto parsed = app::KeyScript::parse(text, error);
  EXPECT_TRUE(parsed) << error;
  return parsed ? *parsed : app::KeyScript{};
}

TEST(FastForward, AnswersFromTheKeysOnItsOwnClockThenHandsOverWithTheLastPicture) {
  platform::HeadlessPlatform backend(1000);
  backend.setKeyboardHook([](std::uint8_t(&state)[256]) { state[platform::DIK_UP] = 0x80; });
  backend.setKeyDownHook([](platform::DirectKey) { return true; });
  FastForward forward(backend);
  std::uint8_t pixels[4] = {1, 2, 3, 4};
  platform::PaletteEntry palette[256] = {};
  platform::Frame frame;
  frame.pixels = pixels;
  frame.width = frame.height = frame.pitch = 2;
  frame.palette = palette;

  forward.begin(script("2 Enter\n"));
  ASSERT_TRUE(forward.active());
  forward.beginFrame(2);
  std::uint8_t state[256];
  forward.readKeyboard(state);
  EXPECT_EQ(app::snapshotToKeySet(state), app::KEY_ENTER) << "the backend's Up is not seen";
  EXPECT_FALSE(forward.isKeyDown(platform::DirectKey::Escape));
  EXPECT_TRUE(forward.isKeyDown(platform::DirectKey::Return));

  EXPECT_EQ(forward.ticks(), 1000u) << "the clock starts at the game's present time";
  forward.waitUntil(31000);
  EXPECT_EQ(forward.ticks(), 31000u) << "a wait returns at once, its deadline reached";
  forward.waitUntil(20000);
  EXPECT_EQ(forward.ticks(), 31000u) << "a passed deadline does not move the clock back";
  EXPECT_TRUE(forward.present(frame));
  EXPECT_EQ(forward.ticks(), 31001u) << "a present moves the clock on as in a replay";
  pixels[0] = 9;
  EXPECT_TRUE(forward.present(frame));
  EXPECT_EQ(backend.ticks(), 1000u) << "the backend never waited";
  EXPECT_EQ(backend.presentCount(), 0u);

  forward.end(true);
  EXPECT_FALSE(forward.active());
  ASSERT_EQ(backend.presentCount(), 1u) << "the picture on hand is presented once";
  EXPECT_EQ(backend.lastFrame().pixels.front(), 9);
  // The clock goes on from where it was: 31002, and the step of the backend's own present.
  EXPECT_EQ(forward.ticks(), 31003u);
  EXPECT_EQ(backend.ticks(), 1001u);
  forward.waitUntil(31053);
  EXPECT_EQ(forward.ticks(), 31053u);
  EXPECT_EQ(backend.ticks(), 1051u) << "waits now reach the backend, less the clock's lead";
  forward.readKeyboard(state);
  EXPECT_EQ(app::snapshotToKeySet(state), app::KEY_UP) << "and the player's keys are read";
}

TEST(FastForward, KeysThatLeadNowhereHandOverWithoutAPicture) {
  platform::HeadlessPlatform backend;
  FastForward forward(backend);
  forward.begin(script("1 Enter\n"));
  forward.end(true);
  EXPECT_EQ(backend.presentCount(), 0u) << "nothing was presented while fast-forwarding";
  forward.end(true);
  EXPECT_FALSE(forward.active());
}

}  // namespace
}  // namespace varnholt::shell
