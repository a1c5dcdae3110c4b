// Key scripts: the syntax, which line wins, and what reads and direct tests see.
#include "app/key_script.h"

#include <gtest/gtest.h>

#include "app/scripted_keyboard.h"
#include "platform/headless/headless_platform.h"

namespace varnholt::app {
namespace {

KeyScript parseOrFail(const std::string& text) {
  std::string error;
  auto script = KeyScript::parse(text, error);
  EXPECT_TRUE(script.has_value()) << error;
  return script.value_or(KeyScript{});
}

TEST(KeyScriptSyntax, AcceptsEveryAddressForm) {
  auto script = parseOrFail(
      "# a comment\n"
      "\n"
      "3 Enter          # frame 3\n"
      "5-7 up+LEFT\n"
      "9.2 Backspace\n"
      "11.2-12.1 right\n"
      "13 -\n");
  EXPECT_EQ(script.frameKeys(3), KEY_ENTER);
  EXPECT_EQ(script.frameKeys(4), 0);
  for (int frame : {5, 6, 7}) EXPECT_EQ(script.frameKeys(frame), KEY_UP | KEY_LEFT) << frame;
  EXPECT_EQ(script.frameKeys(8), 0);
  EXPECT_EQ(script.readKeys(9, 1), 0);
  EXPECT_EQ(script.readKeys(9, 2), KEY_BACKSPACE);
  EXPECT_EQ(script.readKeys(9, 3), 0);
  EXPECT_EQ(script.frameKeys(9), 0) << "a read line leaves the frame's own state alone";
  EXPECT_EQ(script.readKeys(11, 1), 0);
  EXPECT_EQ(script.readKeys(11, 2), KEY_RIGHT);
  EXPECT_EQ(script.readKeys(11, 500), KEY_RIGHT) << "a read range runs across the end of its first frame";
  EXPECT_EQ(script.readKeys(12, 1), KEY_RIGHT);
  EXPECT_EQ(script.readKeys(12, 2), 0);
  EXPECT_EQ(script.lastFrame(), 13);
}

TEST(KeyScriptSyntax, RejectsMalformedLinesWithTheirNumber) {
  struct Case {
    const char* text;
    const char* lineNumber;
  };
  const Case cases[] = {
      {"1 Enter\n0 Enter\n", "line 2"},
      {"x Enter\n", "line 1"},
      {"3-2 Up\n", "line 1"},
      {"2.0 Up\n", "line 1"},
      {"1 Jump\n", "line 1"},
      {"1 Up+\n", "line 1"},
      {"1\n", "line 1"},
      {"1 Up Down\n", "line 1"},
      {"1-2.1 Up\n", "line 1"},
      {"\n\n4.3-4.2 Up\n", "line 3"},
      {"1--2 Up\n", "line 1"},
      {"-1 Up\n", "line 1"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(KeyScript::parse(c.text, error).has_value()) << c.text;
    EXPECT_EQ(error.rfind(c.lineNumber, 0), 0u) << c.text << " -> " << error;
  }
}

TEST(KeyScriptSyntax, KeySetsRoundTripThroughText) {
  for (int keys = 0; keys < 256; ++keys) {
    auto parsed = parseKeySet(formatKeySet(static_cast<KeySet>(keys)));
    ASSERT_TRUE(parsed.has_value()) << keys;
    EXPECT_EQ(*parsed, keys);
  }
}

TEST(KeyScriptResolution, LaterLinesWinAndReadsFallBackToTheirFrame) {
  auto script = parseOrFail(
      "1-10 Up\n"
      "4 Enter\n"
      "6 -\n"
      "8.1 Down\n"
      "8.1-8.2 Left\n");
  EXPECT_EQ(script.frameKeys(3), KEY_UP);
  EXPECT_EQ(script.frameKeys(4), KEY_ENTER);
  EXPECT_EQ(script.frameKeys(6), 0);
  EXPECT_EQ(script.readKeys(4, 7), KEY_ENTER);
  EXPECT_EQ(script.readKeys(8, 1), KEY_LEFT);
  EXPECT_EQ(script.readKeys(8, 3), KEY_UP);
  EXPECT_EQ(script.lastFrame(), 10);
}

TEST(KeyScriptFile, MissingFileOrAFolderIsAnError) {
  for (const std::string path : {"no-such-script.keys", "."}) {
    std::string error;
    EXPECT_FALSE(KeyScript::load(path, error).has_value()) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
}

TEST(ScriptedKeyboardTest, FrameStartReadsAndDirectTestsSeeTheRightState) {
  auto script = parseOrFail(
      "2 Escape\n"
      "3 Space\n"
      "3.1 -\n"
      "3.2 Enter+Up\n");
  platform::HeadlessPlatform headless;
  ScriptedKeyboard keyboard(headless, script);
  std::uint8_t state[256];

  keyboard.beginFrame(1);
  EXPECT_FALSE(keyboard.isKeyDown(platform::DirectKey::Escape));
  keyboard.beginFrame(2);
  EXPECT_TRUE(keyboard.isKeyDown(platform::DirectKey::Escape));
  EXPECT_FALSE(keyboard.isKeyDown(platform::DirectKey::Space));

  keyboard.beginFrame(3);
  EXPECT_TRUE(keyboard.isKeyDown(platform::DirectKey::Space)) << "the frame start sees the frame's state";
  keyboard.readKeyboard(state);
  EXPECT_EQ(snapshotToKeySet(state), 0);
  EXPECT_FALSE(keyboard.isKeyDown(platform::DirectKey::Return));
  keyboard.readKeyboard(state);
  EXPECT_NE(state[platform::DIK_RETURN], 0);
  EXPECT_NE(state[platform::DIK_UP], 0);
  EXPECT_EQ(state[platform::DIK_DOWN], 0);
  EXPECT_TRUE(keyboard.isKeyDown(platform::DirectKey::Return)) << "a direct test sees the latest read";
  keyboard.readKeyboard(state);
  EXPECT_TRUE(keyboard.isKeyDown(platform::DirectKey::Space)) << "read 3 falls back to the frame's state";
}

TEST(ScriptedKeyboardTest, EndlessReadingInOneFrameIsStopped) {
  KeyScript script;
  platform::HeadlessPlatform headless;
  ScriptedKeyboard keyboard(headless, script, 50);
  std::uint8_t state[256];
  keyboard.beginFrame(7);
  for (int i = 0; i < 50; ++i) keyboard.readKeyboard(state);
  try {
    keyboard.readKeyboard(state);
    FAIL() << "the 51st read went through";
  } catch (const StuckFrame& stuck) {
    EXPECT_EQ(stuck.frame(), 7);
  }
  keyboard.beginFrame(8);
  EXPECT_NO_THROW(keyboard.readKeyboard(state)) << "the count starts again with every frame";
}

}  // namespace
}  // namespace varnholt::app
