// Keys that act once per press: a press shorter than a frame is seen once, a held key repeats like a
// desktop's key repeat, and only the first look at a key sees its press.
#include "app/press_keys.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"

namespace varnholt::app {
namespace {

using platform::DIK_DOWN;
using platform::DIK_ESCAPE;
using platform::DIK_RETURN;
using platform::DirectKey;
using platform::KeyEvent;

// A keyboard whose keys go down and up at given times, between the game's looks.
class EventKeyboard : public platform::HeadlessPlatform {
 public:
  void press(std::uint8_t code) { events_.push_back({code, true, ticks()}); }
  void release(std::uint8_t code) { events_.push_back({code, false, ticks()}); }
  void takeKeyEvents(std::vector<KeyEvent>& events) override {
    events.insert(events.end(), events_.begin(), events_.end());
    events_.clear();
  }

 private:
  std::vector<KeyEvent> events_;
};

struct Fixture {
  EventKeyboard keyboard;
  PressKeys keys{keyboard};
  bool readSees(std::uint8_t code) {
    std::uint8_t state[256] = {};
    keys.readKeyboard(state);
    return state[code] != 0;
  }
};

TEST(PressKeysTest, APressShorterThanAFrameIsSeenByExactlyOneRead) {
  Fixture f;
  f.keyboard.press(DIK_DOWN);
  f.keyboard.release(DIK_DOWN);
  f.keyboard.press(DIK_RETURN);
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  EXPECT_FALSE(f.readSees(DIK_DOWN));
  // Enter, still held, was seen by the first read only.
  f.keyboard.advance(10);
  EXPECT_FALSE(f.readSees(DIK_RETURN));
  // Two presses between two reads are one press seen once: the game looked at the key once.
  f.keyboard.press(DIK_DOWN);
  f.keyboard.release(DIK_DOWN);
  f.keyboard.press(DIK_DOWN);
  f.keyboard.release(DIK_DOWN);
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  EXPECT_FALSE(f.readSees(DIK_DOWN));
}

TEST(PressKeysTest, AHeldKeyRepeatsAfterTheDelayThenAtTheInterval) {
  Fixture f;
  f.keyboard.press(DIK_DOWN);
  std::vector<std::uint32_t> seenAt;
  // A look every 10 ms for 1.2 s (the loop ends at 1210), then a pause longer than several repeats, then
  // looks again.
  for (std::uint32_t t = 0; t <= 1200; t += 10, f.keyboard.advance(10))
    if (f.readSees(DIK_DOWN)) seenAt.push_back(t);
  EXPECT_EQ(seenAt, (std::vector<std::uint32_t>{0, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200}));
  f.keyboard.advance(440);  // 1650: the repeats due at 1300-1600 come as one
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  f.keyboard.advance(40);  // 1690
  EXPECT_FALSE(f.readSees(DIK_DOWN));
  f.keyboard.advance(10);  // 1700
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  // Released and pressed again: seen at once, and the repeat delay starts over.
  f.keyboard.release(DIK_DOWN);
  f.keyboard.advance(5);
  f.keyboard.press(DIK_DOWN);
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  f.keyboard.advance(300);
  EXPECT_FALSE(f.readSees(DIK_DOWN));
}

TEST(PressKeysTest, OnlyTheFirstLookAtAKeySeesItsPress) {
  Fixture f;
  // Escape is left to the direct quit test: a read does not use it up.
  f.keyboard.press(DIK_ESCAPE);
  EXPECT_FALSE(f.readSees(DIK_ESCAPE));
  EXPECT_TRUE(f.keys.isKeyDown(DirectKey::Escape));
  EXPECT_FALSE(f.keys.isKeyDown(DirectKey::Escape));
  f.keyboard.release(DIK_ESCAPE);

  // The Enter test after an intro page's read answers as that read did, so the press the read took is
  // the one the test sees, and a press that came after the read waits for the next read.
  f.keyboard.press(DIK_RETURN);
  EXPECT_TRUE(f.readSees(DIK_RETURN));
  EXPECT_TRUE(f.keys.isKeyDown(DirectKey::Return));
  f.keyboard.release(DIK_RETURN);
  EXPECT_FALSE(f.readSees(DIK_RETURN));
  f.keyboard.press(DIK_RETURN);
  EXPECT_FALSE(f.keys.isKeyDown(DirectKey::Return));
  EXPECT_TRUE(f.readSees(DIK_RETURN));
}

TEST(PressKeysTest, SwitchedOffTheBackendsKeysPassAndSwitchedOnNoOldPressIsSeen) {
  Fixture f;
  bool escapeDown = false;
  // A read that saw Enter (an Enter test would answer as it did), and a press of Left no look saw.
  f.keyboard.press(DIK_RETURN);
  EXPECT_TRUE(f.readSees(DIK_RETURN));
  f.keyboard.press(platform::DIK_LEFT);
  f.keys.setEnabled(false);
  EXPECT_FALSE(f.keys.enabled());
  // Frame keys: the snapshot and the direct tests as the backend gives them, as often as asked.
  f.keyboard.setKeyboardHook([](std::uint8_t(&state)[256]) { state[DIK_DOWN] = 0x80; });
  f.keyboard.setKeyDownHook([&](DirectKey key) { return key == DirectKey::Escape && escapeDown; });
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  EXPECT_FALSE(f.readSees(platform::DIK_LEFT)) << "the snapshot's, not the press";
  escapeDown = true;
  EXPECT_TRUE(f.keys.isKeyDown(DirectKey::Escape));
  EXPECT_TRUE(f.keys.isKeyDown(DirectKey::Escape));
  // Presses made while off are followed, not kept.
  f.keyboard.release(platform::DIK_LEFT);
  f.keyboard.press(DIK_ESCAPE);
  f.keyboard.press(DIK_DOWN);
  f.keyboard.release(DIK_DOWN);
  EXPECT_TRUE(f.readSees(DIK_DOWN));
  f.keys.setEnabled(true);
  f.keyboard.setKeyboardHook(nullptr);
  EXPECT_FALSE(f.keys.isKeyDown(DirectKey::Return)) << "not as the read from before the switch";
  EXPECT_FALSE(f.keys.isKeyDown(DirectKey::Escape)) << "pressed while off";
  EXPECT_FALSE(f.readSees(DIK_DOWN)) << "pressed while off";
  EXPECT_FALSE(f.readSees(platform::DIK_LEFT)) << "pressed before the switch, unseen";
  EXPECT_FALSE(f.readSees(DIK_RETURN));
  // Held through the switch, Enter only repeats; a new press acts once.
  f.keyboard.advance(PressKeys::kRepeatDelayMs);
  EXPECT_TRUE(f.readSees(DIK_RETURN));
  f.keyboard.press(platform::DIK_LEFT);
  EXPECT_TRUE(f.readSees(platform::DIK_LEFT));
  EXPECT_FALSE(f.readSees(platform::DIK_LEFT));
}

}  // namespace
}  // namespace varnholt::app
