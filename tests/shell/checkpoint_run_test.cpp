// Continue and retry on the default campaign: the game fast-forwarded from a checkpoint and then played
// on ends in the same state as a straight replay of the same keys, and so does the recording made after
// a continue. The player's answers come from a fake of the question the shell asks.
#include "shell/checkpoint_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/scripted_keyboard.h"
#include "platform/headless/headless_platform.h"
#include "replay/game_state_json.h"
#include "replay/replay_session.h"

namespace varnholt::shell {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

app::KeyScript script(const std::string& text) {
  std::string error;
  auto parsed = app::KeyScript::parse(text, error);
  EXPECT_TRUE(parsed) << error;
  return parsed ? *parsed : app::KeyScript{};
}

// Answers each question with the next of its answers (kClosed when they run out) and notes the questions.
class FakePrompt : public ChoicePrompt {
 public:
  explicit FakePrompt(std::vector<int> answers) : answers_(std::move(answers)) {}
  int ask(std::string_view title, const std::vector<std::string>& choices, int cancel) override {
    std::string asked(title);
    for (const std::string& choice : choices) asked += " | " + choice;
    asked += " | cancel " + std::to_string(cancel);
    questions.push_back(asked);
    return next_ < answers_.size() ? answers_[next_++] : kClosed;
  }
  std::vector<std::string> questions;

 private:
  std::vector<int> answers_;
  std::size_t next_ = 0;
};

// The game as the replay runner plays it: `keys` for `frames` frames.
std::string straightReplay(const std::string& keys, int frames) {
  const app::KeyScript keyScript = script(keys);
  platform::HeadlessPlatform backend;
  replay::ReplaySettings settings;
  settings.frames = frames;
  settings.hashFrames = false;
  std::ostringstream log;
  replay::ReplaySession session(backend, keyScript, settings, log, "test");
  EXPECT_TRUE(session.start()) << session.failure();
  session.run();
  std::string state = session.stateJson();
  session.shutdown();
  return state;
}

struct Played {
  CheckpointRunResult result;
  std::string state;
  std::vector<std::string> recordings;
};

// The game run with checkpoints, a player pressing `keys` by session frame.
Played play(const std::string& keys, int frames, const Checkpoints* checkpoints, ChoicePrompt* prompt,
            bool record = false) {
  const app::KeyScript keyScript = script(keys);
  platform::HeadlessPlatform backend;
  app::ScriptedKeyboard player(backend, keyScript);
  std::vector<std::unique_ptr<std::ostringstream>> recordings;
  std::ostringstream log;
  Played played;
  CheckpointRun run;
  run.platform = &player;
  run.checkpoints = checkpoints;
  run.prompt = prompt;
  run.log = &log;
  run.frameLimit = frames;
  run.beforeFrame = [&](int frame) { player.beginFrame(frame); };
  if (record) {
    run.openRecording = [&]() -> std::ostream* {
      recordings.push_back(std::make_unique<std::ostringstream>());
      return recordings.back().get();
    };
  }
  run.finished = [&](const app::Game& game, const app::LoopResult& result) {
    std::ostringstream json;
    replay::writeGameState(json, game, result);
    played.state = json.str();
  };
  played.result = runWithCheckpoints(run);
  EXPECT_TRUE(played.result.started) << played.result.failure;
  for (const auto& recording : recordings) played.recordings.push_back(recording->str());
  return played;
}

class CheckpointRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path folder = fs::temp_directory_path() /
                            ("varnholt-checkpoint-run-" + std::to_string(::getpid())) /
                            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder);
    file_ = folder / "campaign.checkpoint";
    checkpoints_.emplace(file_, "test", campaignFingerprint(fs::current_path()));
  }
  Checkpoint kept() const {
    std::string error;
    auto checkpoint = parseCheckpoint(readAll(file_), error);
    EXPECT_TRUE(checkpoint) << error;
    return checkpoint ? *checkpoint : Checkpoint{};
  }

  fs::path file_;
  std::optional<Checkpoints> checkpoints_;
};

const std::string& winKeys() {
  static const std::string keys = readAll(WIN_KEYS);
  return keys;
}

// Battle 3's party choice lies within the first 45% of the winning session's frames.
int winFramesToBattleThree() {
  return script(winKeys()).lastFrame() * 45 / 100;
}

TEST_F(CheckpointRunTest, ContinueReachesTheStateOfAStraightReplayAndSoDoesItsRecording) {
  const int first = winFramesToBattleThree();
  const Played keeping = play(winKeys(), first, &*checkpoints_, nullptr);
  EXPECT_EQ(keeping.state, straightReplay(winKeys(), first)) << "keeping checkpoints changes nothing";
  const Checkpoint checkpoint = kept();
  ASSERT_GE(checkpoint.battle, 3) << "the latest party choice opened is kept";
  ASSERT_LE(checkpoint.frame, first);

  const int total = first + 400;
  FakePrompt prompt({0});
  const Played continued = play(winKeys(), total, &*checkpoints_, &prompt, true);
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0], "Varnholt | Continue at battle " + std::to_string(checkpoint.battle) +
                                     " | New campaign | cancel 1");
  EXPECT_EQ(continued.result.continues, 1);
  EXPECT_EQ(continued.result.result.frames, total);
  const std::string straight = straightReplay(winKeys(), total);
  EXPECT_EQ(continued.state, straight);

  ASSERT_EQ(continued.recordings.size(), 1u);
  EXPECT_EQ(straightReplay(continued.recordings[0], total), straight)
      << "the recording holds the kept keys and then the new ones";

  // "New campaign" plays from the title with the same keys: the same state again, nothing replayed.
  FakePrompt fresh({1});
  const Played anew = play(winKeys(), total, &*checkpoints_, &fresh);
  EXPECT_EQ(anew.result.continues, 0);
  EXPECT_EQ(anew.state, straight);
}

TEST_F(CheckpointRunTest, RetryReplaysTheLostBattlesCheckpointAndPlaysOn) {
  const std::string loseKeys = readAll(LOSE_KEYS);
  // Without a retry: the loss is answered with Quit, and the game ends as Escape ends it.
  FakePrompt quit({1});
  const Played lost = play(loseKeys, 0, &*checkpoints_, &quit);
  ASSERT_EQ(quit.questions.size(), 1u);
  const Checkpoint checkpoint = kept();
  EXPECT_EQ(quit.questions[0],
            "The battle is lost | Retry battle " + std::to_string(checkpoint.battle) + " | Quit | cancel 1");
  EXPECT_EQ(lost.result.result.reason, app::ExitReason::Quit);
  EXPECT_EQ(lost.result.continues, 0);

  // A retry, then the same keys lose the same battle again: the same frames, the same state.
  fs::remove(file_);
  FakePrompt retry({0, 1});
  const Played retried = play(loseKeys, 0, &*checkpoints_, &retry, true);
  ASSERT_EQ(retry.questions.size(), 2u);
  EXPECT_EQ(retry.questions[1], quit.questions[0]);
  EXPECT_EQ(retried.result.continues, 1);
  EXPECT_EQ(retried.result.result.frames, lost.result.result.frames);
  EXPECT_EQ(retried.state, lost.state);
  ASSERT_EQ(retried.recordings.size(), 2u) << "a retry starts the recording afresh";
  EXPECT_EQ(straightReplay(retried.recordings[1], lost.result.result.frames),
            straightReplay(loseKeys, lost.result.result.frames));
}

TEST_F(CheckpointRunTest, ADamagedCheckpointIsSetAsideOnScreenAndANewCampaignStarts) {
  fs::create_directories(file_.parent_path());
  std::ofstream(file_) << "varnholt checkpoint 1\nversion test\n";
  FakePrompt prompt({0, 0});
  const Played played = play(winKeys(), 200, &*checkpoints_, &prompt);
  ASSERT_EQ(played.result.messages.size(), 1u);
  EXPECT_NE(played.result.messages[0].find("set aside"), std::string::npos) << played.result.messages[0];
  ASSERT_EQ(prompt.questions.size(), 1u) << "the line is shown, and no continue is offered";
  EXPECT_EQ(prompt.questions[0], played.result.messages[0] + " | OK | cancel 0");
  EXPECT_TRUE(fs::exists(file_.string() + ".set-aside"));
  EXPECT_EQ(played.result.continues, 0);
  EXPECT_EQ(played.state, straightReplay(winKeys(), 200));
}

TEST_F(CheckpointRunTest, KeysThatNoLongerLeadToTheirBattleStartANewCampaign) {
  Checkpoint wrong;
  wrong.battle = 4;
  wrong.frame = 30;  // a battle 4 this early cannot be
  wrong.keys = "1 Enter\n";
  std::string error;
  ASSERT_TRUE(checkpoints_->keep(wrong, error)) << error;
  // Only the first answer matters: continue. The keys end on the title, which the game runs anew.
  FakePrompt prompt({0, 0});
  const Played played = play(winKeys(), 200, &*checkpoints_, &prompt);
  EXPECT_EQ(played.state, straightReplay(winKeys(), 200));
}

}  // namespace
}  // namespace varnholt::shell
