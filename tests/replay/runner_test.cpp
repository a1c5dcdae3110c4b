// The replay runner's command line, exit codes and summary, a campaign with pictures missing, and a
// session recorded by the game replaying to the same state.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "app/frame_stop.h"
#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_recorder.h"
#include "app/press_keys.h"
#include "app/scripted_keyboard.h"
#include "engine/bitmap.h"
#include "platform/headless/headless_platform.h"
#include "replay/game_state_json.h"
#include "replay_harness.h"

namespace varnholt::testing {
namespace {

namespace fs = std::filesystem;

int runCommand(const std::string& arguments, std::string* errors = nullptr) {
  const fs::path err = scratchDir() / "command.err";
  const int status = std::system(
      (std::string(VARNHOLT_REPLAY) + " " + arguments + " > /dev/null 2> " + err.string()).c_str());
  if (errors) {
    std::ifstream in(err);
    std::ostringstream text;
    text << in.rdbuf();
    *errors = text.str();
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int pixelOf(const fs::path& bmp, int x, int y) {
  BitmapFile frame;
  std::ifstream in(bmp, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (decodeBitmap(bytes.data(), bytes.size(), 8, frame) != 1) return -1;
  return frame.pixels.at(static_cast<std::size_t>(y) * frame.infoHeader.biWidth + x);
}

TEST(ReplayRunner, BadUsageAndUnreadableScriptsExitTwo) {
  const fs::path basic = campaign({});
  const fs::path good = scratchDir() / "good.keys";
  const fs::path bad = scratchDir() / "bad.keys";
  std::ofstream(good) << "1 Enter\n";
  std::ofstream(bad) << "1 Enter\n2 Jump\n";
  const std::string data = " --data " + basic.string();
  const std::string cases[] = {
      "",                                                   // no script
      data + " --keys " + good.string() + " --frames 0",    // frames from 1
      data + " --keys " + good.string() + " --dump x.bmp",  // N:FILE
      data + " --keys " + good.string() + " --colour",      // unknown option
      data + " --keys",                                     // missing value
      data + " --keys " + (scratchDir() / "none.keys").string(),
  };
  for (const auto& args : cases) EXPECT_EQ(runCommand(args), 2) << args;
  std::string errors;
  EXPECT_EQ(runCommand(data + " --keys " + bad.string(), &errors), 2);
  EXPECT_NE(errors.find("line 2"), std::string::npos) << errors;
}

TEST(ReplayRunner, RunsOneFrameBeyondTheScriptAndSumsUp) {
  auto run = runReplay(campaign({}), "5 -\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.s()["frames"].integer(), 6);
  EXPECT_EQ(run.out, "frames=6 ms=" + std::to_string(6 * (20 + 1)) + " screenState=" +
                         std::to_string(toNumber(Screen::Title)) + " battleNumber=1 exit=running\n")
      << "six title frames: a 20 ms wait each, and the headless present moves the clock 1 ms";
}

TEST(ReplayRunner, ScriptsNamingTheLargestFrameNumberStillRun) {
  // The default frame limit is the frame after the last named one; there is none after this one.
  auto run = runReplay(campaign({}), "1 Escape\n2147483647 -\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.s()["exit"].string(), "quit");
  EXPECT_EQ(run.s()["frames"].integer(), 2);
}

TEST(ReplayRunner, DumpsOnlyPicturesPresentedInTheirFrame) {
  // Frame 13 of the battle presents; Backspace in frame 14 ends that frame without presenting.
  const fs::path presented = scratchDir() / "dump-presented.bmp";
  const fs::path skipped = scratchDir() / "dump-skipped.bmp";
  fs::remove(skipped);
  auto run =
      runReplay(campaign({}), std::string(kToBattle) + "14 Backspace\n",
                {"--frames", "14", "--dump", "13:" + presented.string(), "--dump", "14:" + skipped.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_TRUE(run.presentsIn(14).empty());
  EXPECT_TRUE(fs::exists(presented));
  EXPECT_FALSE(fs::exists(skipped)) << "frame 14 has no picture of its own";
  EXPECT_NE(run.err.find("frame 14 presented no picture"), std::string::npos) << run.err;
}

TEST(GoldenHashes, AFailureWritesTheFirstDifferingFrameAsAPictureInTheBuildTree) {
  // The title run of the golden file "title": the cursor on the first entry in frames 1-3, the second after.
  auto run = runReplay(campaign({}), "1-3 Up\n4-7 Down\n");
  ASSERT_EQ(run.hashes.size(), 8u);
  const fs::path golden = scratchDir() / "altered.hashes";
  std::ofstream(golden) << run.hashText;
  const fs::path failures = fs::path(REPLAY_BINARY_DIR) / "golden-failures-selftest";
  const GoldenHashResult same = compareGoldenHashes(run, golden, failures);
  EXPECT_TRUE(same.same) << same.message;
  EXPECT_TRUE(same.picture.empty());

  std::string altered = run.hashText;
  const std::size_t line = altered.find("\n2 1 ") + 1;
  altered[line + 4] = altered[line + 4] == '0' ? '1' : '0';
  std::ofstream(golden) << altered;
  const GoldenHashResult failed = compareGoldenHashes(run, golden, failures);
  EXPECT_FALSE(failed.same);
  EXPECT_EQ(failed.picture, failures / "altered-frame2.bmp");
  EXPECT_NE(failed.message.find(failed.picture.string()), std::string::npos) << failed.message;
  EXPECT_NE(failed.message.find((failures / "altered.actual.hashes").string()), std::string::npos);

  BitmapFile picture;
  ASSERT_EQ(loadBitmapFile(picture, failed.picture.string()), 1);
  EXPECT_EQ(std::make_pair(picture.infoHeader.biWidth, picture.infoHeader.biHeight),
            std::make_pair(800, 600));
  // The picture is frame 2's, the first that differs, not a later one.
  const fs::path second = scratchDir() / "frame2.bmp", last = scratchDir() / "frame8.bmp";
  runReplay(campaign({}), run.script, {"--dump", "2:" + second.string(), "--dump", "8:" + last.string()});
  const auto bytes = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_EQ(bytes(failed.picture), bytes(second));
  EXPECT_NE(bytes(failed.picture), bytes(last));
  fs::remove_all(failures);
}

TEST(MissingPictures, LeaveTheirPartOfTheScreenAsItWas) {
  CampaignOptions options;
  options.omit = {"select.BMP",  "buttons.bmp", "hero3.bmp", "in2.BMP",
                  "victory.bmp", "dinner.BMP",  "sword.bmp"};
  const fs::path sparse = campaign({"quick"}, options, "sparse");
  const fs::path full = campaign({"quick"});
  const std::string keys =
      std::string("1 Down\n2 Enter\n3 Up\n4 Enter\n") +
      "6 Enter\n7 Right\n8 Enter\n9 Right\n10 Enter\n11 Right\n12 Enter\n13 Right\n14 Enter\n";
  const fs::path splashEnd = scratchDir() / "sparse-selection-5.bmp";
  const fs::path nextFrame = scratchDir() / "sparse-selection-6.bmp";
  auto withGaps =
      runReplay(sparse, keys,
                {"--frames", "80", "--dump", "5:" + splashEnd.string(), "--dump", "6:" + nextFrame.string()});
  auto complete = runReplay(full, keys, {"--frames", "80"});
  ASSERT_EQ(withGaps.exitCode, 0) << withGaps.err;
  // The game plays on exactly as with every picture present.
  EXPECT_EQ(withGaps.s()["units"].size(), complete.s()["units"].size());
  EXPECT_EQ(withGaps.s()["randomDraws"].integer(), complete.s()["randomDraws"].integer());
  EXPECT_EQ(withGaps.s()["battleState"].integer(), complete.s()["battleState"].integer());
  EXPECT_EQ(withGaps.s()["screenState"].integer(), toNumber(Screen::Battle));
  // Without "select.BMP" the first selection frame keeps the splash's last picture (fill 22) under it,
  // and the next frame the map picture loaded as background at the end of the splash (fill 46).
  EXPECT_EQ(pixelOf(splashEnd, 700, 550), 22);
  EXPECT_EQ(pixelOf(nextFrame, 700, 550), 46);
}

// Plays the campaign `basic` for 120 frames on `keys` with the game's recorder between them; `startFrame`
// runs before each frame. Returns the live JSON state and the recorded key script.
struct RecordedSession {
  std::string state;
  std::string script;
};
RecordedSession playAndRecord(const fs::path& basic, platform::Platform& keys,
                              const std::function<void(int)>& startFrame) {
  const fs::path recordingPath = scratchDir() / "recorded.keys";
  std::ostringstream liveState;
  const fs::path here = fs::current_path();
  EXPECT_EQ(::chdir(basic.c_str()), 0);
  {
    std::ofstream recording(recordingPath);
    app::KeyRecorder recorder(keys, recording);
    app::Game game(recorder);
    EXPECT_EQ(game.gameInit(), 1) << game.failure();
    app::FrameObserver observer;
    observer.beforeFrame = [&](int frame) {
      startFrame(frame);
      recorder.beginFrame(frame);
    };
    auto result = app::runGameLoop(game, recorder, observer, 120);
    recorder.finish();
    EXPECT_EQ(result.reason, app::ExitReason::Running);
    replay::writeGameState(liveState, game, result);
    EXPECT_EQ(game.flow().screenState, Screen::Battle) << "the session reached the battle";
  }
  EXPECT_EQ(::chdir(here.c_str()), 0);
  std::ifstream in(recordingPath);
  std::ostringstream recorded;
  recorded << in.rdbuf();
  return {liveState.str(), recorded.str()};
}

// A keyboard that answers like a person: keys from a script, except that Enter goes down on the intro
// pages between a keyboard read and the direct test that follows it.
class LateEnterKeyboard : public app::ScriptedKeyboard {
 public:
  using ScriptedKeyboard::ScriptedKeyboard;
  void startFrame(int frame) {
    beginFrame(frame);
    frame_ = frame;
    returnTests_ = 0;
  }
  bool isKeyDown(platform::DirectKey key) override {
    if (key == platform::DirectKey::Return && frame_ == 2) return ++returnTests_ >= 3;
    return ScriptedKeyboard::isKeyDown(key);
  }

 private:
  int frame_ = 0;
  int returnTests_ = 0;
};

TEST(Recording, ARecordedSessionReplaysToTheSameState) {
  const fs::path basic = campaign({});
  std::string error;
  auto played =
      app::KeyScript::parse(std::string("1 Down\n2.1 Enter\n3 Up\n4 Enter\n") +
                                "6 Enter\n7 Right\n8 Enter\n9-10 Right\n11 Enter\n12 Right\n13 Enter\n"
                                "14 Left\n15 Enter\n30-33 Up\n35-36 Up\n50 Enter\n51-60 Right\n"
                                "61 Backspace\n62 Right\n63 Enter\n64-66 Down\n67 Enter\n",
                            error);
  ASSERT_TRUE(played.has_value()) << error;
  platform::HeadlessPlatform headless;
  LateEnterKeyboard person(headless, *played);
  const RecordedSession session = playAndRecord(basic, person, [&](int frame) { person.startFrame(frame); });
  auto replayed = runReplay(basic, session.script);
  ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(JsonValue::parse(session.state)["randomDraws"].integer(), replayed.s()["randomDraws"].integer());
  EXPECT_EQ(session.state, replayed.stateText) << session.script;
}

// A person at a keyboard for --keys press: keys go down and up between frames, as events with times,
// and the keyboard's snapshot shows what is held.
class TappingKeyboard : public platform::HeadlessPlatform {
 public:
  // Before `frame`: the keys tapped (down and up again before the game looks), pressed and released.
  struct Plan {
    int frame;
    std::vector<int> taps, downs, ups;
  };
  // In `pageFrame`, which shows the intro pages, Enter is tapped before every third read: a person
  // turning the pages one press at a time.
  TappingKeyboard(std::vector<Plan> plans, int pageFrame) : plans_(std::move(plans)), pageFrame_(pageFrame) {}
  void startFrame(int frame) {
    reads_ = 0;
    frame_ = frame;
    for (const Plan& plan : plans_) {
      if (plan.frame != frame) continue;
      for (int code : plan.taps) {
        change(code, true);
        change(code, false);
      }
      for (int code : plan.downs) change(code, true);
      for (int code : plan.ups) change(code, false);
    }
  }
  bool readKeyboard(std::uint8_t (&state)[256]) override {
    if (++reads_ > 100000) throw app::FrameStop::stuck(frame_);
    if (frame_ == pageFrame_ && reads_ % 3 == 0) {
      change(platform::DIK_RETURN, true);
      change(platform::DIK_RETURN, false);
    }
    for (int code = 0; code < 256; ++code) state[code] = held_[static_cast<std::size_t>(code)] ? 0x80 : 0;
    return true;
  }
  bool isKeyDown(platform::DirectKey key) override {
    if (++reads_ > 100000) throw app::FrameStop::stuck(frame_);
    return key == platform::DirectKey::Return && held_[platform::DIK_RETURN];
  }
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override {
    events.insert(events.end(), events_.begin(), events_.end());
    events_.clear();
  }

 private:
  void change(int code, bool down) {
    held_[static_cast<std::size_t>(code)] = down;
    events_.push_back({static_cast<std::uint8_t>(code), down, ticks()});
  }
  std::vector<Plan> plans_;
  int pageFrame_;
  std::array<bool, 256> held_{};
  std::vector<platform::KeyEvent> events_;
  int reads_ = 0;
  int frame_ = 0;
};

TEST(Recording, APressModeSessionReplaysToTheSameState) {
  using namespace platform;
  const fs::path basic = campaign({});
  // Taps through the title, the four intro pages and the selection; a Right held over ten battle frames
  // repeats.
  std::vector<TappingKeyboard::Plan> plans{
      {1, {DIK_DOWN}, {}, {}},    {2, {DIK_RETURN}, {}, {}},  {3, {DIK_UP}, {}, {}},
      {4, {DIK_RETURN}, {}, {}},  {6, {DIK_RETURN}, {}, {}},  {7, {DIK_RIGHT}, {}, {}},
      {8, {DIK_RETURN}, {}, {}},  {9, {DIK_RIGHT}, {}, {}},   {10, {DIK_RIGHT}, {}, {}},
      {11, {DIK_RETURN}, {}, {}}, {12, {DIK_RIGHT}, {}, {}},  {13, {DIK_RETURN}, {}, {}},
      {14, {DIK_LEFT}, {}, {}},   {15, {DIK_RETURN}, {}, {}}, {30, {DIK_UP}, {}, {}},
      {50, {DIK_RETURN}, {}, {}}, {51, {}, {DIK_RIGHT}, {}},  {61, {DIK_BACK}, {}, {DIK_RIGHT}},
      {63, {DIK_RETURN}, {}, {}}, {64, {}, {DIK_DOWN}, {}},   {67, {DIK_RETURN}, {}, {DIK_DOWN}},
  };
  TappingKeyboard person(plans, 2);
  app::PressKeys keys(person);
  const RecordedSession session = playAndRecord(basic, keys, [&](int frame) { person.startFrame(frame); });
  auto replayed = runReplay(basic, session.script);
  ASSERT_EQ(replayed.exitCode, 0) << replayed.err;
  EXPECT_EQ(session.state, replayed.stateText) << session.script;
}

}  // namespace
}  // namespace varnholt::testing
