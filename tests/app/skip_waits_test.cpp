// Holds a press can end: the splash and a result picture end at the press (of a key, a mouse button or a
// finger) with the same frames, pictures and state as when they are waited out; the press is used up; a
// key held from before, and a press during a short wait, end nothing.
#include "app/skip_waits.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_script.h"
#include "app/press_keys.h"
#include "app/settings.h"
#include "fixture_campaign.h"
#include "platform/headless/headless_platform.h"
#include "replay/game_state_json.h"
#include "replay/replay_session.h"

namespace varnholt::app {
namespace {

namespace fs = std::filesystem;
using platform::DIK_DOWN;
using platform::DIK_RETURN;
using platform::DIK_RIGHT;

// A key a person presses: down `delay` ms after the `afterPresent`-th picture was shown (0: after the
// start), held for `length` ms.
struct Press {
  std::uint8_t code = 0;
  std::uint32_t delay = 0;
  std::uint32_t length = 100;
  int afterPresent = 0;
};

// The headless backend with a person at its keyboard: waits take the time they ask for on its clock, and
// the presses show in the snapshot, the direct tests and the key events at their time.
class Person : public platform::HeadlessPlatform {
 public:
  explicit Person(std::vector<Press> presses, bool events = true) : events_(events) {
    for (const Press& press : presses) keys_.push_back({press, press.afterPresent == 0, press.delay});
  }

  bool readKeyboard(std::uint8_t (&state)[256]) override {
    std::fill(std::begin(state), std::end(state), std::uint8_t{0});
    for (const Key& key : keys_) {
      if (down(key)) state[key.press.code] = 0x80;
    }
    return true;
  }
  bool isKeyDown(platform::DirectKey direct) override {
    for (const Key& key : keys_) {
      if (down(key) && directCode(direct, key.press.code)) return true;
    }
    return false;
  }
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override {
    if (!events_) return;
    for (Key& key : keys_) {
      if (!key.known) continue;
      if (!key.downSent && reached(key.downAt)) {
        events.push_back({key.press.code, true, key.downAt});
        key.downSent = true;
      }
      if (key.downSent && !key.upSent && reached(key.downAt + key.press.length)) {
        events.push_back({key.press.code, false, key.downAt + key.press.length});
        key.upSent = true;
      }
    }
  }
  bool present(const platform::Frame& frame) override {
    const bool shown = HeadlessPlatform::present(frame);
    ++presents_;
    for (Key& key : keys_) {
      if (!key.known && key.press.afterPresent == presents_) {
        key.known = true;
        key.downAt = ticks() + key.press.delay;
      }
    }
    presentTicks_.push_back(ticks());
    return shown;
  }

  int presents() const { return presents_; }
  const std::vector<std::uint32_t>& presentTicks() const { return presentTicks_; }

 private:
  struct Key {
    Press press;
    bool known = false;  // downAt is set
    std::uint32_t downAt = 0;
    bool downSent = false;
    bool upSent = false;
  };
  static bool directCode(platform::DirectKey direct, std::uint8_t code) {
    switch (direct) {
      case platform::DirectKey::Escape:
        return code == platform::DIK_ESCAPE;
      case platform::DirectKey::Space:
        return code == platform::DIK_SPACE;
      case platform::DirectKey::Return:
        return code == platform::DIK_RETURN;
    }
    return false;
  }
  bool reached(std::uint32_t when) { return static_cast<std::int32_t>(ticks() - when) >= 0; }
  bool down(const Key& key) {
    return key.known && reached(key.downAt) && !reached(key.downAt + key.press.length);
  }

  bool events_;
  std::vector<Key> keys_;
  int presents_ = 0;
  std::vector<std::uint32_t> presentTicks_;
};

const fs::path& campaignDir(const std::string& overlay = "") {
  static std::map<std::string, fs::path> built;
  if (auto it = built.find(overlay); it != built.end()) return it->second;
  std::vector<fs::path> dirs{fs::path(SKIP_FIXTURES) / "basic"};
  if (!overlay.empty()) dirs.push_back(fs::path(SKIP_FIXTURES) / overlay);
  const fs::path out = fs::temp_directory_path() / ("varnholt-skip-" + std::to_string(::getpid()) + "-" +
                                                    (overlay.empty() ? "basic" : overlay));
  std::string error;
  EXPECT_TRUE(testing::buildCampaign(dirs, out, {}, error)) << error;
  return built.emplace(overlay, out).first->second;
}

// Runs `body` inside the campaign folder, as the game needs.
template <typename Body>
void inCampaign(const fs::path& dir, Body body) {
  const fs::path here = fs::current_path();
  ASSERT_EQ(::chdir(dir.c_str()), 0);
  body();
  ASSERT_EQ(::chdir(here.c_str()), 0);
}

// A replay of `keys` on a backend where a person presses `presses` (with the holds a press may end, or
// without them): what the game ended in and how long it took on the person's clock.
struct Session {
  std::string summary;
  std::string state;
  std::string hashes;
  int presents = 0;
  std::uint32_t endTicks = 0;
  int skips = 0;
  std::vector<std::uint32_t> presentTicks;
};

Session replay(const std::string& keys, int frames, std::vector<Press> presses, bool skipper = true,
               const std::string& overlay = "", const std::vector<platform::PointerEvent>& pointer = {}) {
  Session out;
  inCampaign(campaignDir(overlay), [&] {
    std::string error;
    const auto script = KeyScript::parse(keys, error);
    ASSERT_TRUE(script) << error;
    Person person(std::move(presses));
    for (const platform::PointerEvent& event : pointer) person.queuePointerEvent(event);
    SkipWaits skip(person);
    platform::Platform& backend = skipper ? static_cast<platform::Platform&>(skip) : person;
    replay::ReplaySettings settings;
    settings.frames = frames;
    std::ostringstream log;
    replay::ReplaySession session(backend, *script, settings, log, "test");
    ASSERT_TRUE(session.start()) << session.failure();
    session.run();
    out.summary = session.summary();
    out.state = session.stateJson();
    out.hashes = session.hashLines();
    out.presents = person.presents();
    out.endTicks = person.ticks();
    out.skips = skip.skips();
    out.presentTicks = person.presentTicks();
    session.shutdown();
  });
  return out;
}

void expectSameGame(const Session& skipped, const Session& waited) {
  EXPECT_EQ(skipped.summary, waited.summary);
  EXPECT_EQ(skipped.state, waited.state);
  EXPECT_EQ(skipped.hashes, waited.hashes);
  EXPECT_EQ(skipped.presents, waited.presents);
}

TEST(SkipWaits, APressEndsTheSplashWithTheSameFramesPicturesAndState) {
  // Frame 1 begins the campaign; frame 2 is the splash; then two selection frames.
  const std::string keys = "1 Enter\n";
  const Session plain = replay(keys, 4, {}, false);
  const Session waited = replay(keys, 4, {});
  const Session skipped = replay(keys, 4, {{DIK_RIGHT, 2000, 100, 2}});
  expectSameGame(waited, plain);
  expectSameGame(skipped, waited);
  EXPECT_EQ(waited.skips, 0);
  EXPECT_EQ(skipped.skips, 1);
  EXPECT_GT(waited.endTicks, 30000u);
  // Two selection frames of 70 ms follow the press; a look for it every 25 ms.
  EXPECT_GE(skipped.endTicks, plain.presentTicks.at(1) + 2000);
  EXPECT_LT(skipped.endTicks, plain.presentTicks.at(1) + 2000 + SkipWaits::kSliceMs + 2 * 75);
}

using PointerKind = platform::PointerEvent::Kind;
constexpr platform::PointerButton kPrimary = platform::PointerButton::Primary;
constexpr platform::PointerButton kSecondary = platform::PointerButton::Secondary;
constexpr platform::PointerButton kNoButton = platform::PointerButton::None;

TEST(SkipWaits, AClickEndsTheSplashWithTheSameFramesPicturesAndState) {
  const std::string keys = "1 Enter\n";
  const Session waited = replay(keys, 4, {});
  const std::uint32_t splash = waited.presentTicks.at(1);
  const Session clicked = replay(keys, 4, {}, true, "",
                                 {{PointerKind::Press, kPrimary, false, true, 400, 300, splash + 2000},
                                  {PointerKind::Release, kPrimary, false, true, 400, 300, splash + 2080}});
  expectSameGame(clicked, waited);
  EXPECT_EQ(clicked.skips, 1);
  EXPECT_GE(clicked.endTicks, splash + 2000);
  EXPECT_LT(clicked.endTicks, splash + 2000 + SkipWaits::kSliceMs + 2 * 75);
}

std::vector<platform::PointerEvent> takePointer(platform::Platform& platform) {
  std::vector<platform::PointerEvent> events;
  platform.takePointerEvents(events);
  return events;
}

TEST(SkipWaits, APointerPressEndsAHoldAndIsUsedUpWithItsReleaseWhileTheRestPassOn) {
  Person person({});
  SkipWaits skip(person);
  // Before the hold: a click that ends nothing. In it: a release, a move, then a touch that ends it at
  // the end of its slice (125 ms); the move after the press and the later click pass on, on the game's
  // clock; the touch's release does not.
  const std::vector<platform::PointerEvent> queued = {
      {PointerKind::Press, kPrimary, false, true, 5, 5, 0},
      {PointerKind::Release, kPrimary, false, true, 5, 5, 50},
      {PointerKind::Move, kNoButton, false, false, 0, 7, 105},
      {PointerKind::Press, kPrimary, true, true, 10, 20, 110},
      {PointerKind::Move, kPrimary, true, true, 11, 21, 115},
      {PointerKind::Release, kPrimary, true, true, 11, 21, 300},
      {PointerKind::Press, kSecondary, false, true, 30, 40, 400},
      {PointerKind::Release, kSecondary, false, true, 30, 40, 450},
  };
  for (const platform::PointerEvent& event : queued) person.queuePointerEvent(event);
  skip.peekMessage();
  skip.waitUntil(10000);
  EXPECT_EQ(person.ticks(), 125u);
  EXPECT_EQ(skip.skips(), 1);
  EXPECT_EQ(skip.ticks(), 10000u);
  EXPECT_EQ(takePointer(skip),
            (std::vector<platform::PointerEvent>{queued[0], queued[1], queued[2], queued[4]}));
  person.advance(500);
  std::vector<platform::PointerEvent> later = {queued[6], queued[7]};
  for (platform::PointerEvent& event : later) event.ticks += 10000 - 125;
  EXPECT_EQ(takePointer(skip), later);

  // A right click, pressed and let go within one slice of the next frame's hold, ends it and is gone.
  skip.peekMessage();
  person.queuePointerEvent({PointerKind::Press, kSecondary, false, false, 0, 0, 630});
  person.queuePointerEvent({PointerKind::Release, kSecondary, false, false, 0, 0, 640});
  person.queuePointerEvent({PointerKind::Move, kNoButton, false, true, 1, 1, 645});
  skip.waitUntil(skip.ticks() + 5000);
  EXPECT_EQ(skip.skips(), 2);
  EXPECT_EQ(person.ticks(), 650u);
  ASSERT_EQ(takePointer(skip).size(), 1u) << "only the move";

  // A press whose release never came: the next press of that button is the player's, and so is its
  // release.
  skip.peekMessage();
  person.queuePointerEvent({PointerKind::Press, kPrimary, false, true, 0, 0, 660});
  skip.waitUntil(skip.ticks() + 5000);
  EXPECT_EQ(skip.skips(), 3);
  skip.peekMessage();
  person.queuePointerEvent({PointerKind::Press, kPrimary, false, true, 0, 0, 700});
  person.queuePointerEvent({PointerKind::Release, kPrimary, false, true, 0, 0, 720});
  person.advance(100);
  const std::vector<platform::PointerEvent> click = takePointer(skip);
  ASSERT_EQ(click.size(), 2u);
  EXPECT_EQ(click[0].kind, PointerKind::Press);
  EXPECT_EQ(click[1].kind, PointerKind::Release);
}

TEST(SkipWaits, APressEndsAResultPictureWithTheSameFramesPicturesAndState) {
  // In the quick fixture frame 46 wins the first battle and shows the victory picture; the splash is
  // skipped too, and the first party of the next battle chosen.
  std::string keys =
      "1 Enter\n3 Enter\n4 Right\n5 Enter\n6 Right\n7 Enter\n8 Right\n9 Enter\n10 Right\n11 Enter\n";
  keys += "44-45 Up\n46 Enter\n47 Enter\n";
  const Session waited = replay(keys, 48, {}, true, "quick");
  // The victory picture: the first present of frame 46 in the hash lines.
  const std::size_t line = waited.hashes.find("\n46 1 ");
  ASSERT_NE(line, std::string::npos);
  const int victory =
      static_cast<int>(std::count(waited.hashes.begin(), waited.hashes.begin() + line, '\n')) + 2;
  const Session skipped =
      replay(keys, 48, {{DIK_RETURN, 2000, 100, 2}, {DIK_DOWN, 1000, 50, victory}}, true, "quick");
  expectSameGame(skipped, waited);
  EXPECT_EQ(skipped.skips, 2);
  const auto shown = static_cast<std::size_t>(victory) - 1;
  EXPECT_LE(skipped.presentTicks.at(shown + 1), skipped.presentTicks.at(shown) + 1000 + SkipWaits::kSliceMs)
      << "the frame's next picture comes at the press, not 9 s later";
  EXPECT_GT(waited.endTicks - skipped.endTicks, 35000u);
}

// The game played by the person alone, with the holds a press may end.
struct Played {
  std::vector<std::uint32_t> frameEnds;  // the person's clock as each frame ended
  std::vector<int> partyCounts;
  std::vector<float> cursorX;
  int skips = 0;
};

Played play(std::vector<Press> presses, KeyMode mode, int frames, bool events = true) {
  Played out;
  inCampaign(campaignDir(), [&] {
    Person person(std::move(presses), events);
    SkipWaits skip(person);
    PressKeys pressKeys(skip);
    platform::Platform& top = mode == KeyMode::Press ? static_cast<platform::Platform&>(pressKeys) : skip;
    Game game(top);
    ASSERT_EQ(game.gameInit(), 1) << game.failure();
    FrameObserver observer;
    observer.afterFrame = [&](int) {
      out.frameEnds.push_back(person.ticks());
      out.partyCounts.push_back(game.flow().partyCount);
      out.cursorX.push_back(game.flow().cursorX());
    };
    runGameLoop(game, top, observer, frames);
    out.skips = skip.skips();
    game.gameShutdown();
  });
  return out;
}

class SkipWaitsPlayed : public ::testing::TestWithParam<KeyMode> {};

// Enter pressed 1 ms into the game begins the campaign in frame 2 in either key mode (the start-up's own
// keyboard read would take a press at 0 in the press mode); frame 3 is the splash, its picture the third.
constexpr Press kBegin{DIK_RETURN, 1, 29};

TEST_P(SkipWaitsPlayed, ThePressThatSkipsIsUsedUpUntilItIsLetGo) {
  // Enter held from 2 s to 2.3 s into the splash skips it and adds nobody in the selection frames that
  // follow while it is held; a later Enter adds the first character.
  const Played played =
      play({kBegin, {DIK_RETURN, 2000, 300, 3}, {DIK_RETURN, 3000, 150, 3}}, GetParam(), 40);
  ASSERT_EQ(played.frameEnds.size(), 40u);
  EXPECT_EQ(played.skips, 1);
  EXPECT_GT(played.frameEnds[2], 2000u);
  EXPECT_LT(played.frameEnds[2], 2100u) << "the splash frame ended at the press";
  for (std::size_t i = 2; i < played.frameEnds.size(); ++i) {
    if (played.frameEnds[i] < 2900) {
      EXPECT_EQ(played.partyCounts[i], 0) << "frame " << i + 1;
      EXPECT_EQ(played.cursorX[i], played.cursorX[2]) << "frame " << i + 1;
    }
  }
  EXPECT_EQ(played.partyCounts.back(), 1) << "a press after the release reaches the game";
}

TEST_P(SkipWaitsPlayed, EscapeEndsTheSplashAndIsLeftForTheQuitTest) {
  // Escape pressed 2 s into the splash ends it at once, and the game quits a frame or two later instead
  // of after the rest of the splash.
  const Played played = play({kBegin, {platform::DIK_ESCAPE, 2000, 300, 3}}, GetParam(), 40);
  EXPECT_EQ(played.skips, 1);
  ASSERT_GE(played.frameEnds.size(), 3u);
  EXPECT_LT(played.frameEnds[2], 2100u) << "the splash frame ended at the press";
  EXPECT_LT(played.frameEnds.size(), 8u) << "the game quit";
  EXPECT_LT(played.frameEnds.back(), 2500u);
}

TEST_P(SkipWaitsPlayed, AKeyHeldFromBeforeTheHoldDoesNotEndIt) {
  // Enter begins the campaign and is held into the splash; only the Down pressed after its release ends
  // the splash.
  const Played played = play({{DIK_RETURN, 1, 5000}, {DIK_DOWN, 8000, 100, 3}}, GetParam(), 4);
  ASSERT_EQ(played.frameEnds.size(), 4u);
  EXPECT_EQ(played.skips, 1);
  EXPECT_GE(played.frameEnds[2], 8000u);
  EXPECT_LT(played.frameEnds[2], 8100u);
}

TEST_P(SkipWaitsPlayed, ModifiersAndTheBackendsOwnKeysDoNotEndAHold) {
  // Alt (of Alt+Enter) and F12 (a screenshot) during the splash; then Right ends it.
  const Played played =
      play({kBegin, {0x38, 1000, 100, 3}, {0x58, 1500, 100, 3}, {DIK_RIGHT, 4000, 100, 3}}, GetParam(), 4);
  EXPECT_EQ(played.skips, 1);
  EXPECT_GE(played.frameEnds.at(2), 4000u);
  EXPECT_LT(played.frameEnds.at(2), 4100u);
}

TEST_P(SkipWaitsPlayed, TitleWaitsAreNeverCut) {
  // Down and Up during the title frames: every frame still takes its 20 ms.
  const Played played = play({{DIK_DOWN, 30, 10}, {platform::DIK_UP, 100, 10}}, GetParam(), 10);
  EXPECT_EQ(played.skips, 0);
  for (std::size_t i = 1; i < played.frameEnds.size(); ++i) {
    EXPECT_GE(played.frameEnds[i] - played.frameEnds[i - 1], 20u) << "frame " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(KeyModes, SkipWaitsPlayed, ::testing::Values(KeyMode::Frame, KeyMode::Press));

TEST(SkipWaits, ABackendWithoutKeyEventsIsWatchedThroughItsSnapshot) {
  const Played played = play({kBegin, {DIK_RIGHT, 2000, 100, 3}}, KeyMode::Frame, 4, false);
  EXPECT_EQ(played.skips, 1);
  EXPECT_LT(played.frameEnds.at(2), 2100u);
}

TEST(SkipWaits, OnlyTheFrameThatSkippedHasItsWaitsCut) {
  Person person({{DIK_RIGHT, 100, 50}});
  SkipWaits skip(person);
  skip.peekMessage();
  skip.waitUntil(skip.ticks() + 1000);
  EXPECT_EQ(person.ticks(), 1000u) << "a wait of a second is no hold";
  skip.waitUntil(skip.ticks() + 1000);
  EXPECT_EQ(person.ticks(), 2000u) << "the press came in a short wait: it ends nothing later";
  // A press 110 ms into a hold is seen at the end of the slice it came in.
  Person late({{DIK_RIGHT, 110, 5000}});
  SkipWaits skipLate(late);
  skipLate.waitUntil(10000);
  EXPECT_EQ(late.ticks(), 125u);
  EXPECT_EQ(skipLate.ticks(), 10000u) << "the game's clock reads the deadline";
  skipLate.waitUntil(10500);
  EXPECT_EQ(late.ticks(), 125u) << "the rest of the frame's waits return at once";
  skipLate.peekMessage();
  skipLate.waitUntil(skipLate.ticks() + 500);
  EXPECT_EQ(late.ticks(), 625u) << "the next frame waits again";
  std::vector<platform::KeyEvent> events;
  skipLate.takeKeyEvents(events);
  EXPECT_TRUE(events.empty()) << "the used-up press is no key event";
  std::uint8_t state[256];
  ASSERT_TRUE(skipLate.readKeyboard(state));
  EXPECT_EQ(state[DIK_RIGHT], 0) << "nor down in the snapshot while it is held";
  late.advance(5000);
  skipLate.takeKeyEvents(events);
  EXPECT_TRUE(events.empty()) << "its release neither";
}

}  // namespace
}  // namespace varnholt::app
