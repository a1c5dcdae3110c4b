// What follows a battle, and how the program ends: victory back to the selection with the next battle,
// defeat staying on the battle screen, the end of the campaign, the result pictures, and Escape.
// In the quick fixture the opponents enter with 0 HP, so the Rat's first end of turn removes them and
// the next player's end of turn wins; in the doomed fixture the party enters with 0 HP.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "engine/bitmap.h"
#include "replay_harness.h"

namespace varnholt::testing {
namespace {

const std::filesystem::path& quick() {
  static const auto dir = campaign({"quick"});
  return dir;
}

// Elin's turn comes at frame 43: Up twice to the end-turn button and Enter win battle 1 in frame 46.
constexpr const char* kWinFirstBattle = "44-45 Up\n46 Enter\n";

// The selection of five after a victory in frame V: Enter and Right from frame V + 1.
std::string selectFive(int victoryFrame) {
  std::string keys;
  for (int i = 0; i < 9; ++i) {
    keys += std::to_string(victoryFrame + 1 + i) + (i % 2 == 0 ? " Enter\n" : " Right\n");
  }
  return keys;
}

// Reads a dumped frame; index (x, y) of its pixels.
struct Dump {
  BitmapFile file;
  int at(int x, int y) const {
    return file.pixels.at(static_cast<std::size_t>(y) * file.infoHeader.biWidth + x);
  }
};
Dump readDump(const std::filesystem::path& path) {
  Dump dump;
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(decodeBitmap(bytes.data(), bytes.size(), 8, dump.file), 1) << path;
  return dump;
}

TEST(BattleOutcome, AWonBattleLeadsBackToTheSelectionWithTheNextBattle) {
  auto run = runReplay(quick(), std::string(kToBattle) + kWinFirstBattle, {"--frames", "46"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto& s = run.s();
  EXPECT_EQ(s["screenState"].integer(), toNumber(Screen::Selection));
  EXPECT_EQ(s["battleNumber"].integer(), 2);
  EXPECT_EQ(s["partyCount"].integer(), 0);
  EXPECT_EQ(s["cursor"]["x"].number(), 45);
  EXPECT_EQ(s["cursor"]["y"].number(), 100);
  EXPECT_EQ(s["cursor"]["frame"].integer(), 3);
  // Battle 2 is loaded: its two opponents, and the sprite slots handed out again from 0.
  ASSERT_EQ(s["units"].size(), 2u);
  EXPECT_EQ(s["units"][0]["id"].integer(), 21);
  EXPECT_EQ(s["units"][0]["column"].integer(), 12);
  EXPECT_EQ(s["units"][0]["row"].integer(), 2);
  EXPECT_EQ(s["units"][1]["id"].integer(), 22);
  EXPECT_EQ(s["spriteCount"].integer(), 2);
  // The survivors levelled up once and moved to the end of the roster; the others moved up.
  const int order[8] = {6, 7, 8, 1, 2, 3, 4, 5};
  ASSERT_EQ(s["roster"].size(), 8u);
  for (int i = 0; i < 8; ++i) {
    const auto& character = s["roster"][i];
    EXPECT_EQ(character["id"].integer(), order[i]) << i;
    EXPECT_EQ(character["level"].integer(), i < 3 ? 1 : 2) << i;
    EXPECT_EQ(character["exp"].integer(), 0) << "a victory gives no experience";
  }
  // Ada: strength 12 grows by race and class growth (1 + 1); the maxima are derived at the old level.
  EXPECT_EQ(s["roster"][3]["strength"].integer(), 14);
  EXPECT_EQ(s["roster"][3]["maxHp"].integer(), 47);
  EXPECT_EQ(run.presentsIn(46).size(), 2u) << "the victory picture, then the frame itself";

  // Every roster character can be added again.
  auto again =
      runReplay(quick(), std::string(kToBattle) + kWinFirstBattle + "47 Enter\n", {"--frames", "47"});
  EXPECT_EQ(again.s()["messageText"].string(), "Added to Battle");
  EXPECT_EQ(again.s()["partyCount"].integer(), 1);
}

TEST(BattleOutcome, ResultPicturesAreTakenFromPixelOneOneAndPaddedWithIndexZero) {
  const auto dumpPath = scratchDir() / "victory-frame.bmp";
  auto run = runReplay(quick(), std::string(kToBattle) + kWinFirstBattle,
                       {"--frames", "46", "--dump", "46:" + dumpPath.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  Dump dump = readDump(dumpPath);
  // The picture's pixel (1, 1) is at (0, 0); its mark at (200, 200) lands on (199, 199).
  EXPECT_EQ(dump.at(798, 300), kResultPictureIndex);
  EXPECT_EQ(dump.at(400, 598), kResultPictureIndex);
  EXPECT_EQ(dump.at(199, 199), kResultMarkIndex[1]);
  EXPECT_EQ(dump.at(248, 248), kResultMarkIndex[1]);
  EXPECT_EQ(dump.at(249, 249), kResultPictureIndex);
  // Column 799 and row 599 lie beyond the file: padded with index 0, which leaves the battle frame.
  EXPECT_NE(dump.at(799, 300), kResultPictureIndex);
  EXPECT_NE(dump.at(400, 599), kResultPictureIndex);
}

TEST(BattleOutcome, SkillVictoryLeavesTheNextBattleUntouched) {
  // Elin heals herself with Mend: the skill's end of turn wins, and nothing of the skill command reaches
  // battle 2, which was loaded in the middle of it.
  auto run = runReplay(
      quick(),
      std::string(kToBattle) + "44-46 Up\n47 Enter\n48 Down\n49 Enter\n50-51 Right\n52-55 Down\n56 Enter\n",
      {"--frames", "56"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto& s = run.s();
  EXPECT_EQ(s["screenState"].integer(), toNumber(Screen::Selection));
  EXPECT_EQ(s["battleNumber"].integer(), 2);
  ASSERT_EQ(s["units"].size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(s["units"][i]["id"].integer(), 21 + i);
    EXPECT_EQ(s["units"][i]["ap"].integer(), 0);
    EXPECT_EQ(s["units"][i]["side"].integer(), 2);
  }
  EXPECT_EQ(s["cursor"]["x"].number(), 45);
  EXPECT_EQ(s["cursor"]["y"].number(), 100);
  EXPECT_EQ(s["cursor"]["frame"].integer(), 3);
  EXPECT_EQ(s["partyCount"].integer(), 0);
  EXPECT_EQ(s["battleState"].integer(), 1);
  // Elin is back in the roster, levelled, with the skill's SP cost paid before the level-up refilled it.
  const auto& elin = s["roster"][7];
  EXPECT_EQ(elin["id"].integer(), 5);
  EXPECT_EQ(elin["level"].integer(), 2);
}

TEST(BattleOutcome, EnterWithTheCursorOnNoPortraitDoesNothing) {
  // Elin attacks Ada; the end of turn after the effect wins inside the battle step of frame 115, and
  // Backspace in that same frame leaves the cursor at (0, 515) on the selection screen.
  auto run = runReplay(quick(),
                       std::string(kToBattle) +
                           "44 Enter\n45 Right\n46-52 Down\n53 Enter\n"
                           "115 Backspace\n116 Enter\n",
                       {"--frames", "116"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto& s = run.s();
  EXPECT_EQ(s["screenState"].integer(), toNumber(Screen::Selection));
  EXPECT_EQ(s["battleNumber"].integer(), 2);
  EXPECT_EQ(s["cursor"]["x"].number(), 0);
  EXPECT_EQ(s["partyCount"].integer(), 0);
  EXPECT_EQ(s["units"].size(), 2u);
  EXPECT_EQ(s["messageText"].string(), " ");
}

TEST(BattleOutcome, ALostBattleStaysOnTheBattleScreenWithTheComputerAlone) {
  const auto dumpPath = scratchDir() / "defeat-frame.bmp";
  auto run =
      runReplay(campaign({"doomed"}), kToBattle, {"--frames", "70", "--dump", "54:" + dumpPath.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto& s = run.s();
  EXPECT_EQ(s["exit"].string(), "running");
  EXPECT_EQ(s["screenState"].integer(), toNumber(Screen::Battle));
  EXPECT_EQ(s["battleNumber"].integer(), 1);
  ASSERT_EQ(s["units"].size(), 2u);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(s["units"][i]["side"].integer(), 2);
  // The defeated party went back to the end of the roster with their battle state.
  for (int i = 3; i < 8; ++i) EXPECT_LT(s["roster"][i]["hp"].integer(), 1);
  // The game-over picture is shown at the end of each of the computer's turns.
  EXPECT_EQ(run.presentsIn(54).size(), 2u);
  EXPECT_EQ(run.presentsIn(66).size(), 2u);
  EXPECT_EQ(readDump(dumpPath).at(199, 199), kResultMarkIndex[0]);
}

TEST(BattleOutcome, WinningTheFifthBattleShowsTheEndPictureAndEndsTheProgram) {
  std::string keys = std::string(kToBattle) + kWinFirstBattle + selectFive(46);
  const int turns[4] = {149, 174, 218, 253};  // the first player's turn of battles 2 to 5
  for (int i = 0; i < 4; ++i) {
    const int f = turns[i];
    keys +=
        std::to_string(f + 1) + "-" + std::to_string(f + 2) + " Up\n" + std::to_string(f + 3) + " Enter\n";
    if (i < 3) keys += selectFive(f + 3);
  }
  const auto dumpPath = scratchDir() / "end-frame.bmp";
  auto run = runReplay(quick(), keys, {"--frames", "400", "--dump", "256:" + dumpPath.string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto& s = run.s();
  EXPECT_EQ(s["exit"].string(), "campaign-end");
  EXPECT_EQ(s["frames"].integer(), 256) << "no frame runs after the end";
  EXPECT_EQ(s["battleNumber"].integer(), 6);
  EXPECT_EQ(run.presentsIn(256).size(), 1u) << "the end picture alone, no victory picture";
  EXPECT_EQ(readDump(dumpPath).at(199, 199), kResultMarkIndex[2]);
  EXPECT_NE(run.out.find("exit=campaign-end"), std::string::npos) << run.out;
}

TEST(ProgramEnd, EscapeOrSpaceEndsTheProgramAfterOneMoreFrame) {
  for (const char* key : {"Escape", "Space"}) {
    auto run = runReplay(quick(), std::string("3 ") + key + "\n", {"--frames", "50"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.s()["exit"].string(), "quit") << key;
    EXPECT_EQ(run.s()["frames"].integer(), 4) << key;
    EXPECT_EQ(run.presentsIn(4).size(), 1u) << "the frame after the key still runs to its end";
  }
}

}  // namespace
}  // namespace varnholt::testing
