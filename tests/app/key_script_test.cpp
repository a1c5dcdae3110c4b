// Key scripts: the syntax, which line wins, and what reads and direct tests see.
#include "app/key_script.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/frame_stop.h"
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

// The rule as written: the last line that covers the point, and for a read no read line covers, the
// frame's keys.
KeySet ruleKeys(const std::vector<KeyScript::Line>& lines, int frame, int read) {
  const auto covers = [&](const KeyScript::Line& line) {
    const auto point = std::pair{frame, read};
    return std::pair{line.fromFrame, line.fromRead} <= point && point <= std::pair{line.toFrame, line.toRead};
  };
  for (int pass = read == 0 ? 1 : 0; pass < 2; ++pass) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      const bool frameLine = it->fromRead == 0;
      if (frameLine == (pass == 1) && covers(*it)) return it->keys;
    }
    read = 0;
  }
  return 0;
}

TEST(KeyScriptResolution, ManyOverlappingLinesResolveAsTheLastCoveringLine) {
  // Scripts of a few hundred short and long lines piled on 40 frames, frame and read lines mixed, from a
  // fixed-seed generator; every frame and read of the window (and around it) is checked.
  std::uint32_t state = 12345;
  const auto next = [&](int bound) {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(bound));
  };
  const char* keys[] = {"-", "Enter", "Up", "Left+Right", "Down", "Backspace"};
  for (int round = 0; round < 20; ++round) {
    std::string text;
    const int lineCount = 1 + next(300);
    for (int i = 0; i < lineCount; ++i) {
      const int from = 1 + next(40);
      const int to = from + (next(4) == 0 ? next(30) : next(3));
      if (next(2) == 0) {
        text += std::to_string(from) + "-" + std::to_string(to);
      } else {
        const int fromRead = 1 + next(5);
        const int toRead = to == from ? fromRead + next(4) : 1 + next(5);
        text += std::to_string(from) + "." + std::to_string(fromRead) + "-" + std::to_string(to) + "." +
                std::to_string(toRead);
      }
      text += std::string(" ") + keys[next(6)] + "\n";
    }
    const KeyScript script = parseOrFail(text);
    for (int frame = 0; frame <= 75; ++frame) {
      ASSERT_EQ(script.frameKeys(frame), ruleKeys(script.lines(), frame, 0)) << text << "frame " << frame;
      for (int read = 1; read <= 10; ++read) {
        ASSERT_EQ(script.readKeys(frame, read), ruleKeys(script.lines(), frame, read))
            << text << "frame " << frame << " read " << read;
      }
    }
  }
}

TEST(KeyScriptFile, MissingFileAFolderOrAnEndlessDeviceIsAnError) {
  for (const std::string path : {"no-such-script.keys", ".", "/dev/zero"}) {
    std::string error;
    EXPECT_FALSE(KeyScript::load(path, error).has_value()) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    if (path == "/dev/zero") {
      EXPECT_NE(error.find("larger than"), std::string::npos) << "read up to the cap only";
    }
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
  } catch (const FrameStop& stuck) {
    EXPECT_EQ(stuck.reason(), ExitReason::Stuck);
    EXPECT_EQ(stuck.frame(), 7);
  }
  keyboard.beginFrame(8);
  EXPECT_NO_THROW(keyboard.readKeyboard(state)) << "the count starts again with every frame";
}

}  // namespace
}  // namespace varnholt::app
