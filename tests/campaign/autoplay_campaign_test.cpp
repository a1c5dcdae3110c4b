// The auto-player on the built default campaign (the test runs inside its folder): it still wins the
// first battle with the party the committed script names, pressing exactly the keys that script holds,
// and its losing party still loses.
#include <gtest/gtest.h>

#include <string>

#include "app/key_script.h"
#include "autoplay/campaign_run.h"
#include "data/game_database.h"

namespace varnholt::autoplay {
namespace {

TEST(AutoPlayerOnTheCampaign, WinsTheFirstBattleWithTheKeysOfTheCommittedScript) {
  GameDatabase database;
  AutoPlayer player(
      Style::Fight, [&](int item) { return database.getItem(item).range; },
      [](int) {
        return Party{6, 8, 7, 5, 1};
      });
  RunLimits limits;
  limits.stopAfterBattle = 1;
  const RunResult run = playCampaign({}, player, limits);
  ASSERT_EQ(run.end, RunEnd::BattleWon);
  EXPECT_EQ(run.battleNumber, 2);

  std::string error;
  auto script = app::KeyScript::load(WIN_KEYS, error);
  ASSERT_TRUE(script) << error;
  ASSERT_GT(script->lastFrame(), static_cast<int>(run.keys.size()));
  for (std::size_t i = 0; i < run.keys.size(); ++i)
    ASSERT_EQ(script->frameKeys(static_cast<int>(i) + 1), run.keys[i]) << "frame " << i + 1;
}

TEST(AutoPlayerOnTheCampaign, ALosingPartyNeverStrikesAndIsWipedOut) {
  GameDatabase database;
  AutoPlayer player(
      Style::Yield, [&](int item) { return database.getItem(item).range; },
      [](int) {
        return Party{8, 4, 3, 2, 6};
      });
  RunLimits limits;
  limits.stopAfterBattle = 1;
  limits.battleFrameLimit = 60000;
  const RunResult run = playCampaign({}, player, limits);
  EXPECT_EQ(run.end, RunEnd::Lost);
  EXPECT_EQ(run.battleNumber, 1);
}

}  // namespace
}  // namespace varnholt::autoplay
