// The shell's dialogs and the quit that asks: the keys that answer a question, the picture it shows over
// the game's, the game held still while it is open, and sessions with it replaying exactly.
#include "shell/shell_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "app/frame_stop.h"
#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_recorder.h"
#include "app/key_script.h"
#include "app/outside_quit.h"
#include "app/press_keys.h"
#include "app/skip_waits.h"
#include "fixture_campaign.h"
#include "platform/headless/headless_platform.h"
#include "replay/frame_capture.h"
#include "replay/game_state_json.h"
#include "replay/hash_lines.h"
#include "replay/replay_session.h"
#include "shell/options_menu.h"

namespace varnholt::shell {
namespace {

namespace fs = std::filesystem;
using platform::DIK_BACK;
using platform::DIK_DOWN;
using platform::DIK_ESCAPE;
using platform::DIK_RETURN;
using platform::DIK_SPACE;
using platform::DIK_UP;

// A key a person presses: down at `at` ms on the backend's clock, held for `length` ms.
struct Press {
  std::uint8_t code = 0;
  std::uint32_t at = 0;
  std::uint32_t length = 50;
};

// The headless backend with a person at its keyboard: waits take the time they ask for, the presses
// show in the snapshot, the direct tests and (unless told otherwise) the key events at their time, and
// the window's close button may be pressed at a time.
class Person : public platform::HeadlessPlatform {
 public:
  explicit Person(std::vector<Press> presses, bool events = true)
      : presses_(std::move(presses)), events_(events) {
    sent_.assign(presses_.size(), 0);
  }

  bool readKeyboard(std::uint8_t (&state)[256]) override {
    std::fill(std::begin(state), std::end(state), std::uint8_t{0});
    for (const Press& press : presses_) {
      if (down(press)) state[press.code] = 0x80;
    }
    return true;
  }
  bool isKeyDown(platform::DirectKey direct) override {
    const int code = direct == platform::DirectKey::Escape  ? DIK_ESCAPE
                     : direct == platform::DirectKey::Space ? DIK_SPACE
                                                            : DIK_RETURN;
    return std::any_of(presses_.begin(), presses_.end(),
                       [&](const Press& press) { return press.code == code && down(press); });
  }
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override {
    if (!events_) return;
    for (std::size_t i = 0; i < presses_.size(); ++i) {
      const Press& press = presses_[i];
      if (sent_[i] == 0 && reached(press.at)) {
        events.push_back({press.code, true, press.at});
        sent_[i] = 1;
      }
      if (sent_[i] == 1 && reached(press.at + press.length)) {
        events.push_back({press.code, false, press.at + press.length});
        sent_[i] = 2;
      }
    }
  }
  bool present(const platform::Frame& frame) override {
    const bool shown = HeadlessPlatform::present(frame);
    if (keepFrames) shown_.push_back(lastFrame());
    ++presents_;
    return shown;
  }
  bool quitRequested() override { return closeAt && reached(*closeAt); }

  std::optional<std::uint32_t> closeAt;
  bool keepFrames = false;
  int presents() const { return presents_; }
  const std::vector<platform::CapturedFrame>& shown() const { return shown_; }

 private:
  bool reached(std::uint32_t when) { return static_cast<std::int32_t>(ticks() - when) >= 0; }
  bool down(const Press& press) { return reached(press.at) && !reached(press.at + press.length); }

  std::vector<Press> presses_;
  std::vector<int> sent_;  // 0: nothing sent, 1: its down, 2: its up too
  bool events_;
  int presents_ = 0;
  std::vector<platform::CapturedFrame> shown_;
};

// A picture of the game: a pattern in indices 100 to 104, over a grey ramp with two entries close to
// the dialog's box colours.
struct GamePicture {
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 200;
  std::vector<std::uint8_t> pixels;
  platform::PaletteEntry palette[256];

  GamePicture() : pixels(kWidth * kHeight) {
    for (int i = 0; i < 256; ++i) {
      const auto grey = static_cast<std::uint8_t>(i);
      palette[i] = {grey, grey, grey, 0};
    }
    palette[7] = {16, 20, 36, 0};     // the fill, exactly
    palette[9] = {212, 208, 226, 0};  // near the border
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = static_cast<std::uint8_t>(100 + (x + y) % 5);
    }
  }
  platform::Frame frame() const {
    platform::Frame frame;
    frame.pixels = pixels.data();
    frame.width = kWidth;
    frame.height = kHeight;
    frame.pitch = kWidth;
    frame.palette = palette;
    return frame;
  }
};

int askAlone(std::vector<Press> presses, int choices, int cancel, bool events = true) {
  Person person(std::move(presses), events);
  ShellDialog dialog(person);
  const GamePicture picture;
  dialog.present(picture.frame());
  std::vector<std::string> names;
  for (int i = 0; i < choices; ++i) names.push_back("Choice " + std::to_string(i));
  return dialog.ask("A question", names, cancel);
}

TEST(ShellDialog, ArrowsMoveTheHighlightEnterPicksEscapeAndBackspaceCancel) {
  for (const bool events : {true, false}) {
    SCOPED_TRACE(events ? "key events" : "snapshot only");
    EXPECT_EQ(askAlone({{DIK_DOWN, 50}, {DIK_DOWN, 150}, {DIK_UP, 250}, {DIK_RETURN, 350}}, 3, 2, events), 1);
    EXPECT_EQ(askAlone({{DIK_UP, 50}, {DIK_RETURN, 150}}, 3, 0, events), 2) << "Up from the first wraps";
    EXPECT_EQ(askAlone({{DIK_DOWN, 50}, {DIK_DOWN, 150}, {DIK_RETURN, 250}}, 2, 1, events), 0)
        << "Down from the last wraps";
    EXPECT_EQ(askAlone({{platform::DIK_RIGHT, 50}, {DIK_RETURN, 150}}, 3, 0, events), 1);
    EXPECT_EQ(askAlone({{DIK_DOWN, 50}, {DIK_ESCAPE, 150}}, 3, 2, events), 2);
    EXPECT_EQ(askAlone({{DIK_BACK, 50}}, 3, 0, events), 0);
    EXPECT_EQ(askAlone({{DIK_SPACE, 50}, {0x1E, 100}, {DIK_RETURN, 150}}, 2, 1, events), 0)
        << "other keys do nothing";
  }
}

TEST(ShellDialog, AKeyDownAsItOpensDoesNotAnswerUntilPressedAgain) {
  // Enter held from before the question until 300 ms; Down at 400; Enter at 500 picks the second choice.
  EXPECT_EQ(askAlone({{DIK_RETURN, 0, 300}, {DIK_DOWN, 400}, {DIK_RETURN, 500}}, 2, 0), 1);
  EXPECT_EQ(askAlone({{DIK_ESCAPE, 0, 300}, {DIK_DOWN, 400}, {DIK_RETURN, 500}}, 2, 0, false), 1);
}

TEST(ShellDialog, TheKeyThatAnsweredIsHiddenFromTheGameUntilLetGo) {
  for (const bool events : {true, false}) {
    SCOPED_TRACE(events ? "key events" : "snapshot only");
    // A Right tapped before the question goes to the game; the Enter that answers it is held to 400 ms.
    Person person({{platform::DIK_RIGHT, 0, 5}, {DIK_RETURN, 100, 300}, {DIK_RETURN, 600, 50}}, events);
    person.advance(10);
    ShellDialog dialog(person);
    ASSERT_EQ(dialog.ask("Q", {"A", "B"}, 1), 0);
    EXPECT_LT(person.ticks(), 100 + 2 * ShellDialog::kStepMs);
    std::uint8_t state[256];
    ASSERT_TRUE(dialog.readKeyboard(state));
    EXPECT_EQ(state[DIK_RETURN], 0);
    EXPECT_FALSE(dialog.isKeyDown(platform::DirectKey::Return));
    std::vector<platform::KeyEvent> events1;
    dialog.takeKeyEvents(events1);
    if (events) {
      ASSERT_EQ(events1.size(), 2u);
      EXPECT_EQ(events1[0].code, platform::DIK_RIGHT) << "a press from before the question is the game's";
    } else {
      EXPECT_TRUE(events1.empty());
    }
    person.waitUntil(450);
    std::vector<platform::KeyEvent> events2;
    dialog.takeKeyEvents(events2);
    ASSERT_TRUE(dialog.readKeyboard(state));
    EXPECT_EQ(state[DIK_RETURN], 0);
    for (const platform::KeyEvent& event : events2) EXPECT_FALSE(event.down) << "only its release";
    person.waitUntil(610);
    EXPECT_TRUE(dialog.isKeyDown(platform::DirectKey::Return)) << "a new press is the game's";
    ASSERT_TRUE(dialog.readKeyboard(state));
    EXPECT_NE(state[DIK_RETURN], 0);
    std::vector<platform::KeyEvent> events3;
    dialog.takeKeyEvents(events3);
    if (events) {
      EXPECT_EQ(events3, (std::vector<platform::KeyEvent>{{DIK_RETURN, true, 600}}));
    }
  }
}

TEST(ShellDialog, TheCloseButtonEndsTheQuestionWithClosed) {
  Person person({});
  person.closeAt = 300;
  app::OutsideQuit outside(person);
  ShellDialog dialog(outside);
  EXPECT_EQ(dialog.ask("Q", {"A", "B"}, 1), ChoicePrompt::kClosed);
  EXPECT_LT(person.ticks(), 300 + 2 * ShellDialog::kStepMs);
}

TEST(ShellDialog, NearestIndexTakesTheClosestEntryAndTheLowestOnATie) {
  const GamePicture picture;
  EXPECT_EQ(nearestIndex(picture.palette, {16, 20, 36, 0}), 7);
  EXPECT_EQ(nearestIndex(picture.palette, {210, 210, 225, 0}), 9);
  EXPECT_EQ(nearestIndex(picture.palette, {60, 60, 60, 0}), 60);
  platform::PaletteEntry flat[256]{};
  EXPECT_EQ(nearestIndex(flat, {255, 255, 255, 0}), 0);
}

TEST(ShellDialog, TheQuestionIsDrawnOverTheLastPictureInItsNearestColours) {
  Person person({{DIK_DOWN, 50}, {DIK_RETURN, 150}});
  person.keepFrames = true;
  ShellDialog dialog(person);
  const GamePicture picture;
  dialog.present(picture.frame());
  const std::vector<std::string> choices{"Quit", "Keep playing"};
  ASSERT_EQ(dialog.ask("Quit Varnholt?", choices, 1), 1);
  // The game's picture, the question, its highlight moved, the game's picture again.
  ASSERT_EQ(person.shown().size(), 4u);
  const DialogLayout layout = layoutDialog(GamePicture::kWidth, GamePicture::kHeight, person.textRasterizer(),
                                           "Quit Varnholt?", choices);
  const platform::FrameRect box = layout.box;
  ASSERT_GT(box.left, 0);
  ASSERT_GT(box.top, 0);
  const DialogColours colours;
  const std::uint8_t fill = nearestIndex(picture.palette, colours.fill);
  const std::uint8_t border = nearestIndex(picture.palette, colours.border);
  const std::uint8_t bar = nearestIndex(picture.palette, colours.highlight);
  const std::uint8_t ink = nearestIndex(picture.palette, colours.text);
  EXPECT_EQ(fill, 7);
  EXPECT_EQ(border, 9);
  for (std::size_t n = 1; n <= 2; ++n) {
    const platform::CapturedFrame& shown = person.shown()[n];
    ASSERT_EQ(shown.width, GamePicture::kWidth);
    EXPECT_EQ(shown.palette[9].red, 212) << "the frame's own palette";
    int inked = 0;
    for (int y = 0; y < GamePicture::kHeight; ++y) {
      for (int x = 0; x < GamePicture::kWidth; ++x) {
        const std::uint8_t at = shown.pixels[y * GamePicture::kWidth + x];
        const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
        if (!inside) {
          ASSERT_EQ(at, picture.pixels[y * GamePicture::kWidth + x]) << x << "," << y;
        } else if (at == ink && y >= layout.titleTop && y < layout.rows[0].top) {
          ++inked;
        }
      }
    }
    EXPECT_GT(inked, 20) << "the title is written";
    EXPECT_EQ(shown.pixels[box.top * GamePicture::kWidth + box.left], border);
    EXPECT_EQ(shown.pixels[(box.top + 4) * GamePicture::kWidth + box.left + 4], fill);
    // The highlighted row's bar, at its right end where no text is.
    const platform::FrameRect lit = layout.rows[n - 1];
    const platform::FrameRect other = layout.rows[2 - n];
    EXPECT_EQ(shown.pixels[(lit.top + 1) * GamePicture::kWidth + lit.right - 2], bar);
    EXPECT_EQ(shown.pixels[(other.top + 1) * GamePicture::kWidth + other.right - 2], fill);
  }
  EXPECT_EQ(person.shown().back().pixels, picture.pixels) << "the game's picture is shown again";
  EXPECT_EQ(person.shown().back().palette[7].blue, 36);
}

// Mouse and touch on a question over the game's picture.
using Kind = platform::PointerEvent::Kind;
using platform::PointerButton;

struct PointerQuestion {
  static constexpr const char* kTitle = "A question";
  Person person;
  ShellDialog dialog{person};
  GamePicture picture;
  std::vector<std::string> choices;
  DialogLayout layout;

  PointerQuestion(std::vector<Press> presses, int count) : person(std::move(presses)) {
    // A question nothing answers ends at the close button, so the test fails, not hangs.
    person.closeAt = 5000;
    for (int i = 0; i < count; ++i) choices.push_back("Choice " + std::to_string(i));
    dialog.present(picture.frame());
    layout =
        layoutDialog(GamePicture::kWidth, GamePicture::kHeight, person.textRasterizer(), kTitle, choices);
  }
  static platform::PointerEvent event(Kind kind, PointerButton button, int x, int y, std::uint32_t at,
                                      bool touch = false, bool inside = true) {
    platform::PointerEvent out;
    out.kind = kind;
    out.button = button;
    out.x = x;
    out.y = y;
    out.ticks = at;
    out.touch = touch;
    out.inside = inside;
    return out;
  }
  // An event in the middle of a row of the question.
  platform::PointerEvent onRow(int row, Kind kind, PointerButton button, std::uint32_t at, bool touch = false,
                               bool inside = true) const {
    const platform::FrameRect& rect = layout.rows[static_cast<std::size_t>(row)];
    return event(kind, button, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, at, touch, inside);
  }
  void queue(const platform::PointerEvent& event) { person.queuePointerEvent(event); }
  int ask(int cancel, int highlight = 0) { return dialog.askFrom(kTitle, choices, cancel, highlight); }
};

TEST(ShellDialog, AClickOrATouchOnARowPicksItARightClickCancelsAndOtherPressesDoNothing) {
  {
    PointerQuestion q({}, 3);
    q.queue(q.onRow(1, Kind::Press, PointerButton::Primary, 50));
    EXPECT_EQ(q.ask(2), 1);
    EXPECT_LT(q.person.ticks(), 50 + 2 * ShellDialog::kStepMs);
  }
  {
    PointerQuestion q({}, 3);
    q.queue(q.onRow(2, Kind::Press, PointerButton::Primary, 50, true));
    EXPECT_EQ(q.ask(0), 2) << "a touch";
  }
  {
    PointerQuestion q({}, 3);
    q.queue(q.onRow(0, Kind::Press, PointerButton::Secondary, 50));
    EXPECT_EQ(q.ask(2), 2) << "a right click cancels";
  }
  {
    // Off the rows, on the letterbox, a release alone, a press of no button: nothing; Enter picks the
    // first row, still highlighted.
    PointerQuestion q({{DIK_RETURN, 300}}, 3);
    const int middle = (q.layout.box.left + q.layout.box.right) / 2;
    q.queue(PointerQuestion::event(Kind::Press, PointerButton::Primary, 1, 1, 50));
    q.queue(PointerQuestion::event(Kind::Press, PointerButton::Primary, middle, q.layout.titleTop + 2, 80));
    q.queue(q.onRow(1, Kind::Press, PointerButton::Primary, 110, false, false));
    q.queue(q.onRow(2, Kind::Release, PointerButton::Primary, 140));
    q.queue(q.onRow(2, Kind::Press, PointerButton::None, 170));
    EXPECT_EQ(q.ask(2), 0);
    EXPECT_GE(q.person.ticks(), 300u);
  }
}

TEST(ShellDialog, AMouseMoveOverARowHighlightsItAndShowsThePointer) {
  {
    PointerQuestion q({{DIK_RETURN, 300}, {DIK_RETURN, 500}}, 3);
    q.person.keepFrames = true;
    q.person.hideMousePointer();
    q.queue(q.onRow(2, Kind::Move, PointerButton::None, 50));
    // Off the rows the highlight stays where it is.
    q.queue(PointerQuestion::event(Kind::Move, PointerButton::None, q.layout.box.left + 3,
                                   q.layout.box.top + 3, 100));
    EXPECT_EQ(q.ask(0), 2);
    EXPECT_FALSE(q.person.mousePointerHidden());
    // The question, its highlight moved, the game's picture again.
    ASSERT_EQ(q.person.shown().size(), 3u);
    const std::uint8_t bar = nearestIndex(q.picture.palette, DialogColours{}.highlight);
    const platform::FrameRect lit = q.layout.rows[2];
    EXPECT_EQ(q.person.shown()[1].pixels[(lit.top + 1) * GamePicture::kWidth + lit.right - 2], bar);
    // Hidden by the game meanwhile, it shows again on the next question's first move.
    q.person.hideMousePointer();
    q.queue(q.onRow(0, Kind::Move, PointerButton::None, 400));
    q.person.waitUntil(350);
    EXPECT_EQ(q.ask(0), 0);
    EXPECT_FALSE(q.person.mousePointerHidden());
  }
  {
    // The highlight a question opens with; one out of range is the first.
    PointerQuestion q({{DIK_RETURN, 50}, {DIK_RETURN, 150}}, 3);
    EXPECT_EQ(q.ask(0, 2), 2);
    EXPECT_EQ(q.ask(0, 7), 0);
  }
}

TEST(ShellDialog, PointerEventsFromOutsideAQuestionPassAndItsOwnStayWithIt) {
  PointerQuestion q({}, 2);
  const platform::PointerEvent press = q.onRow(0, Kind::Press, PointerButton::Primary, 5);
  const platform::PointerEvent move = q.onRow(1, Kind::Move, PointerButton::None, 10);
  q.queue(press);
  q.queue(move);
  q.person.advance(20);
  std::vector<platform::PointerEvent> events;
  q.dialog.takePointerEvents(events);
  EXPECT_EQ(events, (std::vector<platform::PointerEvent>{press, move})) << "no question: untouched";

  // One from before the question opens; in it, the release of the press the game saw, then the
  // question's own move and click; the click's release after it closed.
  const platform::PointerEvent early = q.onRow(0, Kind::Move, PointerButton::None, 30);
  const platform::PointerEvent release = q.onRow(1, Kind::Release, PointerButton::Primary, 60);
  const platform::PointerEvent late = q.onRow(1, Kind::Release, PointerButton::Primary, 500);
  q.queue(early);
  q.queue(release);
  q.queue(q.onRow(0, Kind::Move, PointerButton::None, 70));
  q.queue(q.onRow(1, Kind::Press, PointerButton::Primary, 100));
  q.queue(late);
  q.person.advance(20);
  EXPECT_EQ(q.ask(0), 1);
  events.clear();
  q.dialog.takePointerEvents(events);
  EXPECT_EQ(events, (std::vector<platform::PointerEvent>{early, release}));
  q.person.waitUntil(late.ticks);
  events.clear();
  q.dialog.takePointerEvents(events);
  EXPECT_EQ(events, std::vector<platform::PointerEvent>{late});
}

TEST(ShellDialog, SwitchedOffThePointerNeitherAnswersNorShows) {
  {
    PointerQuestion q({{DIK_RETURN, 300}}, 3);
    q.dialog.setPointerEnabled(false);
    q.person.hideMousePointer();
    q.queue(q.onRow(1, Kind::Move, PointerButton::None, 50));
    q.queue(q.onRow(2, Kind::Press, PointerButton::Primary, 100));
    q.queue(q.onRow(2, Kind::Press, PointerButton::Secondary, 150));
    EXPECT_EQ(q.ask(1), 0);
    EXPECT_TRUE(q.person.mousePointerHidden());
  }
  {
    // A pointer a question showed is hidden again when the pointer is switched off.
    PointerQuestion q({{DIK_RETURN, 100}}, 2);
    q.person.hideMousePointer();
    q.queue(q.onRow(0, Kind::Move, PointerButton::None, 50));
    EXPECT_EQ(q.ask(1), 0);
    EXPECT_FALSE(q.person.mousePointerHidden());
    q.dialog.setPointerEnabled(false);
    EXPECT_TRUE(q.person.mousePointerHidden());
  }
}

// The game on the basic fixture campaign.
const fs::path& campaignDir() {
  static const fs::path dir = [] {
    const fs::path out = fs::temp_directory_path() / ("varnholt-dialog-" + std::to_string(::getpid()));
    std::string error;
    EXPECT_TRUE(testing::buildCampaign({fs::path(SHELL_FIXTURES) / "basic"}, out, {}, error)) << error;
    return out;
  }();
  return dir;
}

struct Played {
  app::LoopResult result;
  std::string state;
  std::string hashes;
  std::string recording;
  std::vector<std::uint32_t> frameEnds;
  int asked = 0;
};

// The game played by the person for at most `frames` frames, with the quit that asks or without it, and
// recorded as a key script.
Played play(std::vector<Press> presses, int frames, bool asking = true, bool pressMode = false,
            bool events = true, std::optional<std::uint32_t> closeAt = std::nullopt, bool skipping = false) {
  Played out;
  const fs::path here = fs::current_path();
  EXPECT_EQ(::chdir(campaignDir().c_str()), 0);
  {
    Person person(std::move(presses), events);
    // A question left open by a fault ends at the close button a minute in, so the test fails, not hangs.
    person.closeAt = closeAt ? closeAt : std::optional<std::uint32_t>(60000);
    app::OutsideQuit outside(person);
    // The holds a press may end, under the question as in the game.
    app::SkipWaits skip(outside);
    platform::Platform& held = skipping ? static_cast<platform::Platform&>(skip) : outside;
    QuitDialog quit(held);
    platform::Platform& below = asking ? static_cast<platform::Platform&>(quit) : held;
    app::PressKeys pressKeys(below);
    platform::Platform& keys = pressMode ? static_cast<platform::Platform&>(pressKeys) : below;
    std::ostringstream recording;
    recording << "# recorded\n";
    app::KeyRecorder recorder(keys, recording);
    replay::FrameCapture capture(recorder);
    app::Game game(capture);
    EXPECT_EQ(game.gameInit(), 1) << game.failure();
    app::FrameObserver observer;
    observer.beforeFrame = [&](int frame) {
      recorder.beginFrame(frame);
      capture.beginFrame(frame);
    };
    observer.afterFrame = [&](int) { out.frameEnds.push_back(person.ticks()); };
    out.result = app::runGameLoop(game, capture, observer, frames);
    recorder.finish();
    std::ostringstream state;
    replay::writeGameState(state, game, out.result);
    out.state = state.str();
    out.hashes = replay::formatHashLines(capture.presented());
    out.recording = recording.str();
    out.asked = quit.asked();
    game.gameShutdown();
  }
  EXPECT_EQ(::chdir(here.c_str()), 0);
  return out;
}

// The recording replayed headless, as varnholt-replay runs it.
Played replayed(const std::string& recording, int frames) {
  Played out;
  const fs::path here = fs::current_path();
  EXPECT_EQ(::chdir(campaignDir().c_str()), 0);
  {
    std::string error;
    const auto script = app::KeyScript::parse(recording, error);
    EXPECT_TRUE(script) << error;
    if (script) {
      platform::HeadlessPlatform backend;
      replay::ReplaySettings settings;
      settings.frames = frames;
      std::ostringstream log;
      replay::ReplaySession session(backend, *script, settings, log, "test");
      EXPECT_TRUE(session.start()) << session.failure();
      out.result = session.run();
      out.state = session.stateJson();
      out.hashes = session.hashLines();
      session.shutdown();
    }
  }
  EXPECT_EQ(::chdir(here.c_str()), 0);
  return out;
}

// The title's frames take 20 ms each; Escape at 100 ms opens the question at the next frame's start.
constexpr Press kEscape{DIK_ESCAPE, 100, 50};

TEST(QuitDialog, KeepPlayingHoldsTheGameStillAndLeavesItAsIfNothingHappened) {
  for (const bool pressMode : {false, true}) {
    SCOPED_TRACE(pressMode ? "press keys" : "frame keys");
    const Played plain = play({}, 30, false, pressMode);
    const Played kept = play({kEscape, {DIK_DOWN, 300}, {DIK_RETURN, 500}}, 30, true, pressMode);
    EXPECT_EQ(kept.asked, 1);
    EXPECT_EQ(kept.result.reason, app::ExitReason::Running);
    EXPECT_EQ(kept.result.frames, 30);
    EXPECT_EQ(kept.state, plain.state);
    EXPECT_EQ(kept.hashes, plain.hashes);
    // No frame ended while the question was open: one gap of the question's length between two frames.
    int gaps = 0;
    for (std::size_t i = 1; i < kept.frameEnds.size(); ++i) {
      const std::uint32_t gap = kept.frameEnds[i] - kept.frameEnds[i - 1];
      if (gap > 100) {
        ++gaps;
        EXPECT_LT(kept.frameEnds[i - 1], 130u);
        EXPECT_GE(kept.frameEnds[i], 500u);
      }
    }
    EXPECT_EQ(gaps, 1);
    const Played again = replayed(kept.recording, 30);
    EXPECT_EQ(again.state, kept.state);
    EXPECT_EQ(again.hashes, kept.hashes);
  }
}

TEST(QuitDialog, QuitEndsTheGameOneFrameLaterAndTheRecordingReplaysIt) {
  for (const bool pressMode : {false, true}) {
    for (const bool events : {true, false}) {
      SCOPED_TRACE(std::string(pressMode ? "press keys" : "frame keys") +
                   (events ? ", events" : ", snapshot"));
      if (pressMode && !events) continue;  // the press mode reads presses from the events
      const Played quit = play({kEscape, {DIK_RETURN, 300}}, 100, true, pressMode, events);
      EXPECT_EQ(quit.asked, 1);
      EXPECT_EQ(quit.result.reason, app::ExitReason::Quit);
      ASSERT_GE(quit.frameEnds.size(), 2u);
      // The frames before the question, then the one whose quit test sees Escape, then the one after.
      const int before = static_cast<int>(std::count_if(quit.frameEnds.begin(), quit.frameEnds.end(),
                                                        [](std::uint32_t end) { return end < 300; }));
      EXPECT_EQ(quit.result.frames, before + 2);
      EXPECT_NE(quit.recording.find(std::to_string(before + 1) + " Escape"), std::string::npos)
          << quit.recording;
      const Played again = replayed(quit.recording, 0);
      EXPECT_EQ(again.result.reason, app::ExitReason::Quit);
      EXPECT_EQ(again.result.frames, quit.result.frames);
      EXPECT_EQ(again.state, quit.state);
      EXPECT_EQ(again.hashes, quit.hashes);
    }
  }
}

TEST(QuitDialog, SpaceAsksTooAndEscapeHeldFromBeforeAsksOnce) {
  // Space opens it; Escape pressed inside it cancels; the Escape held after that opens nothing more.
  const Played played = play({{DIK_SPACE, 100}, {DIK_ESCAPE, 300, 400}}, 40);
  EXPECT_EQ(played.asked, 1);
  EXPECT_EQ(played.result.reason, app::ExitReason::Running);
  EXPECT_EQ(played.recording.find("Escape"), std::string::npos);
  EXPECT_EQ(played.recording.find("Space"), std::string::npos);
}

TEST(QuitDialog, EscapeDuringTheSplashEndsItAndTheQuestionWaitsForItsAnswer) {
  // Enter begins the campaign; Escape 2 s in ends the splash's hold, and the question opens over the
  // next frame; its waits sleep (the frame that skipped is over), so Enter at 3 s answers Quit.
  for (const bool pressMode : {false, true}) {
    SCOPED_TRACE(pressMode ? "press keys" : "frame keys");
    const Played played = play({{DIK_RETURN, 1, 30}, {platform::DIK_ESCAPE, 2000}, {DIK_RETURN, 3000}}, 100,
                               true, pressMode, true, std::nullopt, true);
    EXPECT_EQ(played.asked, 1);
    EXPECT_EQ(played.result.reason, app::ExitReason::Quit);
    ASSERT_FALSE(played.frameEnds.empty());
    EXPECT_GT(played.frameEnds.back(), 3000u);
    EXPECT_LT(played.frameEnds.back(), 3500u) << "neither the whole splash nor a hurried clock";
  }
}

TEST(QuitDialog, TheCloseButtonEndsTheGameWhileTheQuestionIsOpen) {
  const Played closed = play({kEscape}, 100, true, false, true, 400);
  EXPECT_EQ(closed.asked, 1);
  EXPECT_EQ(closed.result.reason, app::ExitReason::Quit);
  ASSERT_FALSE(closed.frameEnds.empty());
  EXPECT_LT(closed.frameEnds.back(), 130u) << "no frame ran after the question opened";
}

// The settings the options menu switches, as the game keeps them, and a settings file in a folder of
// its own.
struct OptionsSetUp {
  fs::path folder =
      fs::temp_directory_path() / ("varnholt-dialog-options-" + std::to_string(::getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path file = folder / "settings.ini";
  app::Settings settings;
  int applied = 0;
  std::ostringstream log;
  OptionsMenu menu{{[this] { return settings; },
                    [this](const app::Settings& next) {
                      settings = next;
                      ++applied;
                    }},
                   file,
                   &log};
  OptionsSetUp() { fs::remove_all(folder); }
  ~OptionsSetUp() { fs::remove_all(folder); }
};

TEST(QuitDialog, OptionsOpensTheMenuAndLeavingItReturnsToTheQuestionWithOptionsHighlighted) {
  OptionsSetUp options;
  // Escape opens the question; Down to Keep playing, a click on Options; in the menu Enter switches
  // the display, Down and Enter the scaling, a right click goes back; Enter on the highlighted Options
  // opens the menu again, Escape leaves it, Up and Enter keep playing.
  Person person({{DIK_ESCAPE, 10},
                 {DIK_DOWN, 200},
                 {DIK_RETURN, 400},
                 {DIK_DOWN, 500},
                 {DIK_RETURN, 600},
                 {DIK_RETURN, 800},
                 {DIK_ESCAPE, 900},
                 {DIK_UP, 1000},
                 {DIK_RETURN, 1100}});
  person.closeAt = 5000;
  person.keepFrames = true;
  QuitDialog quit(person);
  quit.setOptionsMenu(&options.menu);
  const GamePicture picture;
  quit.present(picture.frame());
  const std::vector<std::string> choices{"Quit", "Keep playing", "Options"};
  const DialogLayout layout = layoutDialog(GamePicture::kWidth, GamePicture::kHeight, person.textRasterizer(),
                                           "Quit Varnholt?", choices);
  ASSERT_EQ(layout.rows.size(), 3u);
  const platform::FrameRect row = layout.rows[QuitDialog::kOptions];
  person.queuePointerEvent({Kind::Press, PointerButton::Primary, false, true, (row.left + row.right) / 2,
                            (row.top + row.bottom) / 2, 300});
  person.queuePointerEvent({Kind::Press, PointerButton::Secondary, false, true, 5, 5, 700});
  person.advance(20);
  EXPECT_EQ(quit.peekMessage(), platform::Message::None);

  // The quit question three times, the menu four.
  EXPECT_EQ(quit.asked(), 7);
  EXPECT_GE(person.ticks(), 1100u);
  EXPECT_LT(person.ticks(), 1100 + 2 * ShellDialog::kStepMs);
  EXPECT_FALSE(quit.isKeyDown(platform::DirectKey::Escape)) << "kept playing";
  EXPECT_EQ(options.applied, 2);
  EXPECT_EQ(options.settings.window, app::WindowMode::Windowed);
  EXPECT_EQ(options.settings.scaling, app::Scaling::Integer);
  const app::SettingsFile saved = app::loadSettingsFile(options.file, std::nullopt);
  EXPECT_TRUE(saved.errors.empty()) << ::testing::PrintToString(saved.errors);
  EXPECT_EQ(saved.changes.window, app::WindowMode::Windowed);
  EXPECT_EQ(saved.changes.scaling, app::Scaling::Integer);
  EXPECT_TRUE(options.log.str().empty()) << options.log.str();
  // The game's picture shows when the game presents it and when the last question closes, never
  // between two questions.
  ASSERT_GE(person.shown().size(), 2u);
  const auto plain =
      std::count_if(person.shown().begin(), person.shown().end(),
                    [&](const platform::CapturedFrame& frame) { return frame.pixels == picture.pixels; });
  EXPECT_EQ(plain, 2);
  EXPECT_EQ(person.shown().back().pixels, picture.pixels);
}

}  // namespace
}  // namespace varnholt::shell
