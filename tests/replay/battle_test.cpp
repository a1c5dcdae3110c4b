// The battle screen's keys in each cursor mode with their clamps, Backspace, and a move, an attack and a
// skill ordered from the keyboard. In the basic fixture the first turn is the Rat's (it walks to (9, 3));
// from frame 43 Elin, a mage on (3, 5), waits for commands with the cursor on the command bar.
#include <gtest/gtest.h>

#include "replay_harness.h"

namespace varnholt::testing {
namespace {

constexpr int kElinsTurn = 43;

const std::filesystem::path& basic() {
  static const auto dir = campaign({});
  return dir;
}

// The state after `frames` frames of the battle script `keys` (added to the way into the battle).
ReplayRun battle(const std::string& keys, int frames) {
  auto run = runReplay(basic(), std::string(kToBattle) + keys, {"--frames", std::to_string(frames)});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return run;
}

const JsonValue* unit(const JsonValue& state, int id) {
  for (std::size_t i = 0; i < state["units"].size(); ++i) {
    if (state["units"][i]["id"].integer() == id) return &state["units"][i];
  }
  return nullptr;
}

TEST(BattleScreen, ElinsTurnOpensOnTheCommandBar) {
  auto run = battle("", kElinsTurn);
  const auto& s = run.s();
  EXPECT_EQ(s["battleState"].integer(), 2);
  EXPECT_EQ(s["acting"]["id"].integer(), 5);
  EXPECT_EQ(s["cursorMode"].integer(), toNumber(CursorMode::CommandBar));
  EXPECT_EQ(s["cursor"]["x"].number(), 0);
  EXPECT_EQ(s["cursor"]["y"].number(), 515);
  EXPECT_EQ(s["cursor"]["frame"].integer(), 1);
  EXPECT_EQ(s["messageText"].string(), " ") << "the Rat's end of turn cleared the message";
  expectGoldenHashes(battle("44 Up\n45 Enter\n46-48 Right\n49 Down\n50 Backspace\n", 51), "battle");
}

TEST(BattleScreen, CommandBarUpMovesRightDownMovesLeftWithinItsFourButtons) {
  // At frame 44 the cursor is on button 0; Up 45-48 runs into the right end, then Down, Left, Right.
  const std::string keys = "44 Down\n45-48 Up\n49 Down\n50 Left\n51 Right\n";
  const std::pair<int, float> expected[] = {{44, 0},   {45, 100}, {47, 300}, {48, 300},
                                            {49, 200}, {50, 100}, {51, 200}};
  for (const auto& [frame, x] : expected) {
    auto run = battle(keys, frame);
    EXPECT_EQ(run.s()["cursor"]["x"].number(), x) << "frame " << frame;
    EXPECT_EQ(run.s()["cursor"]["y"].number(), 515) << "frame " << frame;
    EXPECT_EQ(run.s()["cursorMode"].integer(), toNumber(CursorMode::CommandBar));
    EXPECT_EQ(run.s()["battleCommand"].integer(), toNumber(BattleCommand::None));
  }
}

TEST(BattleScreen, SkillListMovesFifteenPixelsWithinItsLines) {
  // Up to button 3 and Enter open the skill list at (390, 390); Right and Down move down, Left and Up up.
  const std::string keys = "44-46 Up\n47 Enter\n48 Up\n49 Down\n50 Right\n51 Left\n52-70 Down\n";
  const std::pair<int, float> expected[] = {{47, 390}, {48, 390}, {49, 405}, {50, 420}, {51, 405}, {70, 555}};
  for (const auto& [frame, y] : expected) {
    auto run = battle(keys, frame);
    EXPECT_EQ(run.s()["cursorMode"].integer(), toNumber(CursorMode::SkillList)) << "frame " << frame;
    EXPECT_EQ(run.s()["battleCommand"].integer(), toNumber(BattleCommand::Skill));
    EXPECT_EQ(run.s()["cursor"]["x"].number(), 390);
    EXPECT_EQ(run.s()["cursor"]["y"].number(), y) << "frame " << frame;
    EXPECT_EQ(run.s()["cursor"]["frame"].integer(), 2);
  }
}

TEST(BattleScreen, GridCursorStopsAtColumnsAndRowsOneToTen) {
  // Button 1 (move) puts the cursor on the grid at (1, 1); Left and Up there leave cell and pixels alone.
  const std::string keys = "44 Right\n45 Enter\n46 Left\n47 Up\n48-57 Right\n58-67 Down\n";
  struct Expect {
    int frame, column, row;
    float x, y;
  };
  const Expect expected[] = {{46, 1, 1, 5, 105},    {47, 1, 1, 5, 105},    {55, 9, 1, 309, 105},
                             {56, 10, 1, 347, 105}, {57, 10, 1, 347, 105}, {67, 10, 10, 347, 447}};
  for (const auto& e : expected) {
    auto run = battle(keys, e.frame);
    const auto& s = run.s();
    EXPECT_EQ(s["cursorMode"].integer(), toNumber(CursorMode::Grid)) << "frame " << e.frame;
    EXPECT_EQ(s["gridColumn"].integer(), e.column) << "frame " << e.frame;
    EXPECT_EQ(s["gridRow"].integer(), e.row) << "frame " << e.frame;
    EXPECT_EQ(s["cursor"]["x"].number(), e.x) << "frame " << e.frame;
    EXPECT_EQ(s["cursor"]["y"].number(), e.y) << "frame " << e.frame;
    EXPECT_EQ(s["cursor"]["frame"].integer(), 0);
  }
}

TEST(BattleScreen, BackspaceReturnsToTheCommandBarFromEveryModeWithoutPresenting) {
  struct Case {
    const char* keys;
    int frame;  // the Backspace frame
  };
  const Case cases[] = {
      {"44 Right\n45 Backspace\n", 45},                      // command bar
      {"44 Right\n45 Enter\n46 Right\n47 Backspace\n", 47},  // grid (move)
      {"44-46 Up\n47 Enter\n48 Down\n49 Backspace\n", 49},   // skill list
  };
  for (const auto& c : cases) {
    auto run = battle(c.keys, c.frame);
    const auto& s = run.s();
    EXPECT_EQ(s["cursorMode"].integer(), toNumber(CursorMode::CommandBar)) << c.keys;
    EXPECT_EQ(s["battleCommand"].integer(), toNumber(BattleCommand::None)) << c.keys;
    EXPECT_EQ(s["cursor"]["x"].number(), 0) << c.keys;
    EXPECT_EQ(s["cursor"]["y"].number(), 515) << c.keys;
    EXPECT_EQ(s["cursor"]["frame"].integer(), 1) << c.keys;
    EXPECT_TRUE(run.presentsIn(c.frame).empty()) << "the Backspace frame is not presented: " << c.keys;
    EXPECT_EQ(run.presentsIn(c.frame - 1).size(), 1u);
  }
}

TEST(BattleScreen, MoveOrderedFromTheKeyboard) {
  // Button 1, then the grid cursor to (4, 5) next to Elin, Enter.
  auto run = battle("44 Right\n45 Enter\n46-48 Right\n49-52 Down\n53 Enter\n", 53);
  const auto& s = run.s();
  EXPECT_EQ(s["moveTargetX"].integer(), 38 * 4 - 30);
  EXPECT_EQ(s["moveTargetY"].integer(), 38 * 5 + 58);
  EXPECT_EQ(s["unitWalking"].integer(), 1);
  EXPECT_EQ(s["battleState"].integer(), 2) << "a move leaves the turn open";
  EXPECT_EQ(s["acting"]["column"].integer(), 4);
  EXPECT_EQ(s["acting"]["row"].integer(), 5);
  EXPECT_EQ(s["acting"]["ap"].integer(), -30);
  EXPECT_EQ(s["randomDraws"].integer(), 11);
}

TEST(BattleScreen, AttackOrderedFromTheKeyboardRunsItsEffectThenEndsTheTurn) {
  // Button 0, then the grid cursor to Ada on (2, 8), Enter: the attack effect runs 60 frames, the state
  // is 5 in the 61st frame after the attack and the turn ends in the 62nd.
  const std::string keys = "44 Enter\n45 Right\n46-52 Down\n53 Enter\n";
  auto attack = battle(keys, 53);
  const auto& s = attack.s();
  EXPECT_EQ(s["battleState"].integer(), 6);
  EXPECT_EQ(s["effectShowing"].integer(), 1);
  EXPECT_EQ(s["acting"]["ap"].integer(), -50);
  EXPECT_GT(s["randomDraws"].integer(), 11) << "the blow rolls";

  auto lastEffectFrame = battle(keys, 113);
  EXPECT_EQ(lastEffectFrame.s()["battleState"].integer(), 6);
  EXPECT_EQ(lastEffectFrame.s()["effectFrame"].integer(), 60);
  auto over = battle(keys, 114);
  EXPECT_EQ(over.s()["battleState"].integer(), 5);
  EXPECT_EQ(over.s()["effectShowing"].integer(), 0);
  auto ended = battle(keys, 115);
  EXPECT_EQ(ended.s()["battleState"].integer(), 1);
  EXPECT_EQ(ended.s()["cursorMode"].integer(), toNumber(CursorMode::None));
  const auto& units = ended.s()["units"];
  EXPECT_EQ(units[units.size() - 1]["id"].integer(), 5) << "the turn's end puts Elin at the back";
  EXPECT_EQ(units[units.size() - 1]["ap"].integer(), -65);
}

TEST(BattleScreen, SkillOrderedFromTheKeyboardTakesEffectAndEndsTheTurn) {
  // Button 3 opens the skill list; Down and Enter pick the second line (Mend, skill 3); the grid cursor
  // goes to Elin's own cell (3, 5) and Enter heals her there for 3 SP.
  const std::string keys = "44-46 Up\n47 Enter\n48 Down\n49 Enter\n50-51 Right\n52-55 Down\n56 Enter\n";
  auto picked = battle(keys, 49);
  EXPECT_EQ(picked.s()["selectedSkill"].integer(), 3);
  EXPECT_EQ(picked.s()["skillPickRequest"].integer(), toNumber(SkillPick::None));
  EXPECT_EQ(picked.s()["cursorMode"].integer(), toNumber(CursorMode::Grid));
  EXPECT_EQ(picked.s()["battleCommand"].integer(), toNumber(BattleCommand::Skill))
      << "the skill list stays open for the target";

  auto used = battle(keys, 56);
  const auto& s = used.s();
  const JsonValue* elin = unit(s, 5);
  ASSERT_NE(elin, nullptr);
  EXPECT_EQ((*elin)["sp"].integer(), 48 - 3);
  EXPECT_EQ((*elin)["ap"].integer(), -75 - 15);
  EXPECT_EQ(s["battleState"].integer(), 1) << "the skill ended the turn";
  EXPECT_EQ(s["messageText"].string(), " ");
}

// The state file as a whole, at the title, on the selection screen and in every cursor mode and battle
// command: its fields, their order and the numbers the game-flow values are written as.
TEST(BattleScreen, StateFilesMatchTheGoldenOnes) {
  std::string states = runReplay(basic(), "1 -\n").stateText;                       // title
  states += runReplay(basic(), "1 Enter\n3 Enter\n", {"--frames", "4"}).stateText;  // selection
  states += battle("", kElinsTurn).stateText;                                       // command bar
  states += battle("44 Right\n45 Enter\n", 45).stateText;                           // move
  states += battle("44 Enter\n", 44).stateText;                                     // attack
  states += battle("44-46 Up\n47 Enter\n", 47).stateText;                           // skill list
  states += battle("44-46 Up\n47 Enter\n48 Down\n49 Enter\n", 49).stateText;        // skill picked
  states += battle("44 Enter\n45 Right\n46-52 Down\n53 Enter\n", 115).stateText;    // turn ended
  expectGoldenStates(states, "states");
}

}  // namespace
}  // namespace varnholt::testing
