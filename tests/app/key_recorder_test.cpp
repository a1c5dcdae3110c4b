// Recording a session as a key script: the script replays the answers the game saw, and runs of frames
// holding the same keys become one line.
#include "app/key_recorder.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/scripted_keyboard.h"
#include "platform/headless/headless_platform.h"

namespace varnholt::app {
namespace {

using platform::DirectKey;

// One call the game makes in a frame: a keyboard read or a direct test, with what the real keyboard
// answered.
struct Call {
  enum Kind { Read, Test } kind;
  KeySet keys = 0;    // Read: the snapshot's keys
  DirectKey key{};    // Test: which key
  bool down = false;  // Test: the answer
};

using Session = std::vector<std::vector<Call>>;  // frames of calls

Call read(KeySet keys) {
  return {Call::Read, keys};
}
Call test(DirectKey key, bool down) {
  return {Call::Test, 0, key, down};
}
std::vector<Call> frameStart(bool escape, std::vector<Call> rest) {
  std::vector<Call> calls{test(DirectKey::Escape, escape), test(DirectKey::Space, false)};
  calls.insert(calls.end(), rest.begin(), rest.end());
  return calls;
}

// Plays a session through the recorder on a platform whose keyboard gives the session's answers.
std::string record(const Session& session) {
  platform::HeadlessPlatform headless;
  const Call* next = nullptr;
  headless.setKeyboardHook([&](std::uint8_t(&state)[256]) { keySetToSnapshot(next->keys, state); });
  headless.setKeyDownHook([&](DirectKey) { return next->down; });
  std::ostringstream out;
  KeyRecorder recorder(headless, out);
  std::uint8_t state[256];
  for (std::size_t f = 0; f < session.size(); ++f) {
    recorder.beginFrame(static_cast<int>(f) + 1);
    for (const auto& call : session[f]) {
      next = &call;
      if (call.kind == Call::Read) {
        recorder.readKeyboard(state);
      } else {
        recorder.isKeyDown(call.key);
      }
    }
  }
  recorder.finish();
  return out.str();
}

TEST(KeyRecorderTest, ReplayGivesTheGameTheSameAnswers) {
  const Session session{
      frameStart(false, {read(0)}),
      frameStart(false, {read(KEY_DOWN)}),
      frameStart(false, {read(KEY_DOWN)}),
      frameStart(false, {read(KEY_ENTER)}),
      // Intro pages: read, then test Enter; the key goes down between the fourth read and its test.
      frameStart(false, {read(0), test(DirectKey::Return, false), read(0), test(DirectKey::Return, false),
                         read(KEY_UP), test(DirectKey::Return, false), read(0), test(DirectKey::Return, true),
                         read(KEY_ENTER), test(DirectKey::Return, true)}),
      frameStart(false, {read(KEY_LEFT | KEY_RIGHT), read(0)}),
      frameStart(true, {read(0)}),
  };
  const std::string text = record(session);
  std::string error;
  auto script = KeyScript::parse(text, error);
  ASSERT_TRUE(script.has_value()) << error << "\n" << text;

  platform::HeadlessPlatform headless;
  ScriptedKeyboard replay(headless, *script);
  std::uint8_t state[256];
  for (std::size_t f = 0; f < session.size(); ++f) {
    replay.beginFrame(static_cast<int>(f) + 1);
    const auto& calls = session[f];
    for (std::size_t c = 0; c < calls.size(); ++c) {
      const auto& call = calls[c];
      if (call.kind == Call::Test) {
        EXPECT_EQ(replay.isKeyDown(call.key), call.down) << "frame " << f + 1 << " call " << c << "\n"
                                                         << text;
        continue;
      }
      replay.readKeyboard(state);
      KeySet expected = call.keys;
      // A direct Enter test right after a read is answered from that read, so the read carries the
      // test's answer for Enter.
      if (c + 1 < calls.size() && calls[c + 1].kind == Call::Test && calls[c + 1].key == DirectKey::Return) {
        expected = static_cast<KeySet>((expected & ~KEY_ENTER) | (calls[c + 1].down ? KEY_ENTER : 0));
      }
      EXPECT_EQ(snapshotToKeySet(state), expected) << "frame " << f + 1 << " call " << c << "\n" << text;
    }
  }
}

TEST(KeyRecorderTest, RunsOfTheSameKeysBecomeOneLine) {
  Session session;
  for (int f = 1; f <= 9; ++f) {
    KeySet keys = f <= 1 ? 0 : f <= 4 ? KEY_UP : f == 5 ? 0 : KEY_RIGHT;
    session.push_back(frameStart(false, {read(keys)}));
  }
  session.push_back(frameStart(true, {read(KEY_ESCAPE)}));
  EXPECT_EQ(record(session), "2-4 Up\n6-9 Right\n10 Escape\n");
}

TEST(KeyRecorderTest, AFrameWithoutReadsKeepsItsFrameStartAnswers) {
  Session session{{test(DirectKey::Escape, false), test(DirectKey::Space, true)},
                  frameStart(false, {}),
                  frameStart(false, {}),
                  frameStart(false, {})};
  EXPECT_EQ(record(session), "1 Space\n3 -\n") << "the script's length says the session ran four frames";
}

TEST(KeyRecorderTest, FlushWritesTheSessionSoFarAndRecordingGoesOn) {
  platform::HeadlessPlatform headless;
  headless.setKeyboardHook([](std::uint8_t(&state)[256]) { keySetToSnapshot(KEY_UP, state); });
  std::ostringstream out;
  KeyRecorder recorder(headless, out);
  std::uint8_t state[256];
  for (int f = 1; f <= 3; ++f) {
    recorder.beginFrame(f);
    recorder.readKeyboard(state);
  }
  recorder.flush();
  EXPECT_EQ(out.str(), "1-3 Up\n") << "the frame just run and the run it ends are written";
  for (int f = 4; f <= 5; ++f) {
    recorder.beginFrame(f);
    recorder.readKeyboard(state);
  }
  recorder.finish();
  EXPECT_EQ(out.str(), "1-3 Up\n4-5 Up\n") << "no frame is written twice";
}

}  // namespace
}  // namespace varnholt::app
