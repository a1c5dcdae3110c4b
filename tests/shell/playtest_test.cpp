// Playtests (varnholt --playtest N) run headless: the auto-player's keys up to battle N's party choice,
// fast-forwarded as a continue is, hand the player that choice; the recording replays to the same
// state; the campaign's own checkpoint is neither offered nor touched; a battle the auto-player cannot
// win starts the playtest there, saying so, and a lost battle can still be retried within the session.
#include "autoplay/playtest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/scripted_keyboard.h"
#include "autoplay/campaign_run.h"
#include "fixture_campaign.h"
#include "platform/headless/headless_platform.h"
#include "replay/game_state_json.h"
#include "replay/replay_session.h"
#include "shell/checkpoint_run.h"

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

class FakePrompt : public ChoicePrompt {
 public:
  explicit FakePrompt(std::vector<int> answers) : answers_(std::move(answers)) {}
  int ask(std::string_view title, const std::vector<std::string>& choices, int cancel) override {
    std::string asked(title);
    for (const std::string& choice : choices) asked += " | " + choice;
    questions.push_back(asked + " | cancel " + std::to_string(cancel));
    return next_ < answers_.size() ? answers_[next_++] : kClosed;
  }
  std::vector<std::string> questions;

 private:
  std::vector<int> answers_;
  std::size_t next_ = 0;
};

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
  Screen screen = Screen::Title;
  int battle = 0;
  std::vector<std::string> recordings;
};

// The game as main runs a playtest: started at `start`, the player pressing `keys` by session frame.
Played playtest(const autoplay::PlaytestStart& start, const std::string& keys, int frames,
                const Checkpoints* checkpoints, ChoicePrompt* prompt) {
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
  Checkpoint checkpoint;
  checkpoint.battle = start.battle;
  checkpoint.frame = start.frames;
  checkpoint.keys = start.keys;
  run.start = checkpoint;
  run.startMessage = start.shortfall;
  run.beforeFrame = [&](int frame) { player.beginFrame(frame); };
  run.openRecording = [&]() -> std::ostream* {
    recordings.push_back(std::make_unique<std::ostringstream>());
    return recordings.back().get();
  };
  run.finished = [&](const app::Game& game, const app::LoopResult& result) {
    std::ostringstream json;
    replay::writeGameState(json, game, result);
    played.state = json.str();
    played.screen = game.flow().screenState;
    played.battle = game.battle().battleNumber;
  };
  played.result = runWithCheckpoints(run);
  EXPECT_TRUE(played.result.started) << played.result.failure;
  for (const auto& recording : recordings) played.recordings.push_back(recording->str());
  return played;
}

fs::path scratchFolder() {
  return fs::temp_directory_path() / ("varnholt-playtest-" + std::to_string(::getpid())) /
         ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// The campaign's own checkpoint, kept before the playtest: it must come out of it as it went in.
const Checkpoints& keptBeforehand(std::optional<Checkpoints>& checkpoints, const fs::path& file) {
  checkpoints.emplace(file, "test", campaignFingerprint(fs::current_path()));
  Checkpoint before;
  before.battle = 2;
  before.frame = 30;
  before.keys = "1 Enter\n";
  std::string error;
  EXPECT_TRUE(checkpoints->keep(before, error)) << error;
  return *checkpoints;
}

// Runs inside the built default campaign.
TEST(Playtest, HandsThePlayerTheChosenBattlesPartyChoiceAndItsRecordingReplaysThere) {
  const fs::path folder = scratchFolder();
  fs::remove_all(folder);
  std::optional<Checkpoints> checkpoints;
  const Checkpoints& campaign = keptBeforehand(checkpoints, folder / "campaign.checkpoint");
  const std::string keptText = readAll(campaign.file());

  for (const int battle : {1, 3}) {
    SCOPED_TRACE("playtest " + std::to_string(battle));
    const autoplay::PlaytestStart start = autoplay::preparePlaytest(battle, [](const std::string&) {});
    ASSERT_TRUE(start.started) << start.failure;
    EXPECT_EQ(start.battle, battle);
    EXPECT_EQ(start.shortfall, "");

    const int total = start.frames + 40;
    FakePrompt prompt({});
    const Played played = playtest(start, "", total, &campaign, &prompt);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{}) << "no Continue is offered";
    EXPECT_EQ(played.result.continues, 1);
    EXPECT_EQ(played.result.result.frames, total);
    EXPECT_EQ(played.screen, Screen::Selection);
    EXPECT_EQ(played.battle, battle);

    ASSERT_EQ(played.recordings.size(), 1u);
    EXPECT_EQ(straightReplay(played.recordings[0], total), played.state)
        << "the recording holds the auto-player's keys and then the player's";
  }
  EXPECT_EQ(readAll(campaign.file()), keptText) << "the campaign's checkpoint is left as it was";
  fs::remove_all(folder);
}

// A fixture campaign whose second battle no party can win (an opponent no blow harms).
TEST(Playtest, StartsAtABattleTheAutoPlayerCannotWinSaysSoAndLetsTheLossBeRetried) {
  const fs::path folder = scratchFolder();
  fs::remove_all(folder);
  std::string error;
  ASSERT_TRUE(testing::buildCampaign({fs::path(FIXTURES) / "basic", fs::path(FIXTURES) / "unwinnable"},
                                     folder / "campaign", {}, error))
      << error;
  const fs::path home = fs::current_path();
  fs::current_path(folder / "campaign");

  const autoplay::PlaytestStart start = autoplay::preparePlaytest(3, [](const std::string&) {});
  ASSERT_TRUE(start.started) << start.failure;
  EXPECT_EQ(start.battle, 2);
  EXPECT_NE(start.shortfall.find("won battle 2 with no party"), std::string::npos) << start.shortfall;

  // The player's keys: one party of five walking up to the opponent and losing.
  GameDatabase database;
  autoplay::AutoPlayer player(
      autoplay::Style::Fight, [&](int item) { return database.getItem(item).range; },
      [](int) {
        return autoplay::Party{1, 2, 3, 4, 5};
      });
  autoplay::RunLimits limits;
  limits.framesAfterDefeat = 300;
  const app::KeyScript startScript = script(start.keys);
  std::vector<app::KeySet> startKeys;
  for (int frame = 1; frame <= start.frames; ++frame) startKeys.push_back(startScript.frameKeys(frame));
  const autoplay::RunResult losing = autoplay::playCampaign(startKeys, player, limits);
  ASSERT_EQ(losing.end, autoplay::RunEnd::Lost);
  const std::string losingKeys = autoplay::formatKeyScript(losing.keys, {});

  std::optional<Checkpoints> checkpoints;
  const Checkpoints& campaign = keptBeforehand(checkpoints, folder / "campaign.checkpoint");
  const std::string keptText = readAll(campaign.file());
  // OK to the shortfall; retry the lost battle; quit when it is lost again.
  FakePrompt prompt({0, 0, 1});
  const Played played = playtest(start, losingKeys, 200000, &campaign, &prompt);
  const std::string lost = "The battle is lost | Retry battle 2 | Quit | cancel 1";
  EXPECT_EQ(prompt.questions, (std::vector<std::string>{start.shortfall + " | OK | cancel 0", lost, lost}));
  EXPECT_EQ(played.result.continues, 2) << "the retry fast-forwards to the playtest's start again";
  EXPECT_EQ(played.result.result.reason, app::ExitReason::Quit);
  EXPECT_EQ(readAll(campaign.file()), keptText);

  fs::current_path(home);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace varnholt::shell
