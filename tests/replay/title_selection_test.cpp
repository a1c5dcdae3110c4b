// The title screen with its intro pages, the splash sequence and the party selection, driven by key
// scripts through the headless runner.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "replay_harness.h"

namespace varnholt::testing {
namespace {

const std::filesystem::path& basic() {
  static const auto dir = campaign({});
  return dir;
}

TEST(TitleScreen, UpAndDownStayOnTheTwoEntries) {
  struct Case {
    const char* script;
    int frames;
    float y;
  };
  const Case cases[] = {
      {"1-3 Up\n", 3, 100},        // held Up from the first entry
      {"1-4 Down\n", 4, 150},      // held Down past the second entry
      {"1 Down\n2 Up\n", 2, 100},  // one step each way
      {"1 Down\n", 1, 150},
  };
  for (const auto& c : cases) {
    auto run = runReplay(basic(), c.script, {"--frames", std::to_string(c.frames)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.s()["screenState"].integer(), toNumber(Screen::Title)) << c.script;
    EXPECT_EQ(run.s()["cursor"]["x"].number(), 150) << c.script;
    EXPECT_EQ(run.s()["cursor"]["y"].number(), c.y) << c.script;
    EXPECT_EQ(run.s()["cursor"]["frame"].integer(), 2) << c.script;
  }
  auto run = runReplay(basic(), "1-3 Up\n4-7 Down\n");
  EXPECT_EQ(run.hashes.size(), 8u) << "one presented picture per title frame";
  expectGoldenHashes(run, "title");
}

TEST(TitleScreen, IntroPagesPassAtOnceWhileEnterIsHeld) {
  auto run = runReplay(basic(), "1 Down\n2 Enter\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // Four pages, the title picture again, then the title frame's own picture.
  auto presents = run.presentsIn(2);
  ASSERT_EQ(presents.size(), 6u);
  for (int page = 1; page < 4; ++page) EXPECT_NE(presents[page - 1], presents[page]) << page;
  EXPECT_NE(presents[4], presents[5]) << "the title comes back, then the frame draws the cursor on it";
  EXPECT_EQ(run.s()["screenState"].integer(), toNumber(Screen::Title));
  EXPECT_EQ(run.s()["cursor"]["y"].number(), 150) << "the cursor stays on the second entry";
  EXPECT_EQ(run.s()["frames"].integer(), 3);
}

TEST(TitleScreen, EachIntroPageWaitsForEnter) {
  // Read 1 is the title's own read; each page is read and shown again until a read finds Enter.
  auto run = runReplay(basic(),
                       "1 Down\n"
                       "2.1 Enter\n"
                       "2.3 Escape\n"       // pressed and released while a page shows: no effect
                       "2.5 Enter\n"        // page 1 shown four times
                       "2.8 Enter\n"        // page 2 three times
                       "2.10-2.11 Enter\n"  // page 3 twice, page 4 passed at its first showing
                       "3 -\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  auto presents = run.presentsIn(2);
  ASSERT_EQ(presents.size(), 12u);
  const std::vector<std::string> pages(presents.begin(), presents.begin() + 10);
  EXPECT_EQ(std::vector<std::string>(pages.begin(), pages.begin() + 4),
            std::vector<std::string>(4, pages[0]));
  EXPECT_EQ(std::vector<std::string>(pages.begin() + 4, pages.begin() + 7),
            std::vector<std::string>(3, pages[4]));
  EXPECT_EQ(pages[7], pages[8]);
  EXPECT_NE(pages[0], pages[4]);
  EXPECT_NE(pages[4], pages[7]);
  EXPECT_NE(pages[7], pages[9]);
  EXPECT_EQ(run.s()["exit"].string(), "running");
  EXPECT_EQ(run.s()["screenState"].integer(), toNumber(Screen::Title));
}

TEST(TitleScreen, AnIntroPageWithoutEnterIsReportedAsStuck) {
  auto run = runReplay(basic(), "1 Down\n2.1 Enter\n", {"--max-reads", "500"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("frame 2"), std::string::npos) << run.err;
}

TEST(SplashSequence, RunsInOneFrameAndOpensTheSelection) {
  auto run = runReplay(basic(), "1 Enter\n", {"--frames", "2"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.presentsIn(1).size(), 1u);
  EXPECT_EQ(run.presentsIn(2).size(), 4u) << "three splash pictures and the first selection frame";
  const auto& s = run.s();
  EXPECT_EQ(s["screenState"].integer(), toNumber(Screen::Selection));
  EXPECT_EQ(s["cursor"]["x"].number(), 45);
  EXPECT_EQ(s["cursor"]["y"].number(), 100);
  EXPECT_EQ(s["cursor"]["frame"].integer(), 3);
  ASSERT_EQ(s["roster"].size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(s["roster"][i]["id"].integer(), i + 1);
    EXPECT_EQ(s["roster"][i]["hp"].integer(), s["roster"][i]["maxHp"].integer()) << "derived before joining";
  }
  EXPECT_EQ(s["roster"][0]["maxHp"].integer(), 40);  // trunc(1.5 x (1.0 x 2 x 10) + 10)
  EXPECT_EQ(s["randomDraws"].integer(), 0);
  EXPECT_GE(std::stoi(run.out.substr(run.out.find("ms=") + 3)), 30000) << run.out;
}

TEST(PartySelection, AddedThenAlreadyAdded) {
  auto added = runReplay(basic(), "1 Enter\n3 Enter\n", {"--frames", "3"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.s()["messageText"].string(), "Added to Battle");
  EXPECT_EQ(added.s()["partyCount"].integer(), 1);
  EXPECT_EQ(added.s()["randomDraws"].integer(), 2) << "one column and one row for a free first cell";
  const auto& ada = added.s()["units"][2];
  EXPECT_EQ(ada["id"].integer(), 1);
  EXPECT_EQ(ada["side"].integer(), 1);

  auto again = runReplay(basic(), "1 Enter\n3 Enter\n4 Enter\n", {"--frames", "4"});
  EXPECT_EQ(again.s()["messageText"].string(), "Already Added");
  EXPECT_EQ(again.s()["partyCount"].integer(), 1);
  EXPECT_EQ(again.s()["units"].size(), 3u);
  EXPECT_EQ(again.s()["randomDraws"].integer(), 2);
}

TEST(PartySelection, CursorStaysOnThePortraits) {
  struct Case {
    const char* script;
    float x;
  };
  const Case cases[] = {
      {"1 Enter\n3 Left\n", 45}, {"1 Enter\n3-12 Right\n", 395}, {"1 Enter\n3-5 Right\n6 Left\n", 145}};
  for (const auto& c : cases) {
    auto run = runReplay(basic(), c.script);
    EXPECT_EQ(run.s()["cursor"]["x"].number(), c.x) << c.script;
    EXPECT_EQ(run.s()["cursor"]["y"].number(), 100) << c.script;
  }
}

TEST(PartySelection, TheFifthAdditionStartsTheBattle) {
  auto run = runReplay(basic(), kToBattle, {"--frames", "12"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto& s = run.s();
  EXPECT_EQ(s["screenState"].integer(), toNumber(Screen::Battle));
  EXPECT_EQ(s["partyCount"].integer(), 5);
  EXPECT_EQ(s["messageText"].string(), "Added to Battle") << "shown on the battle screen until a turn ends";
  EXPECT_EQ(s["spriteCount"].integer(), 7);
  // Placement is repeatable: the unseeded generator gives these cells in every run.
  const int expected[5][3] = {{1, 2, 8}, {2, 5, 1}, {3, 10, 5}, {4, 9, 9}, {5, 3, 5}};
  for (const auto& member : expected) {
    bool found = false;
    for (std::size_t i = 0; i < s["units"].size(); ++i) {
      const auto& unit = s["units"][i];
      if (unit["id"].integer() != member[0]) continue;
      found = true;
      EXPECT_EQ(unit["column"].integer(), member[1]) << member[0];
      EXPECT_EQ(unit["row"].integer(), member[2]) << member[0];
    }
    EXPECT_TRUE(found) << member[0];
  }
  EXPECT_EQ(s["randomDraws"].integer(), 10);
  expectGoldenHashes(run, "selection");
}

TEST(PartySelection, OnlyCharactersTheRosterHoldsAreOffered) {
  // Characters 6 to 8 are missing from this campaign: their portraits are not shown and Enter on their
  // places adds nobody.
  auto run = runReplay(campaign({"short"}), "1 Enter\n3-7 Right\n8 Enter\n9 Right\n10 Enter\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.s()["roster"].size(), 5u);
  EXPECT_EQ(run.s()["partyCount"].integer(), 0);
  EXPECT_EQ(run.s()["messageText"].string(), "");
  EXPECT_EQ(run.s()["randomDraws"].integer(), 0);
}

TEST(PartySelection, ARosterTooSmallForAPartySaysSoOnceAllAreIn) {
  // Damaged character data: nobody to choose, and the message line says why instead of Enter doing
  // nothing; a missing picture is named on standard error once, however often it is drawn.
  auto dir = scratchDir() / "no_characters";
  std::filesystem::remove_all(dir);
  std::filesystem::copy(basic(), dir, std::filesystem::copy_options::recursive);
  { std::ofstream(dir / "chardb.txt", std::ios::trunc) << "\x01\x02 not a database\n"; }
  std::filesystem::remove(dir / "select.BMP");
  auto run = runReplay(dir, "1 Enter\n20 Enter\n", {"--frames", "40"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.s()["screenState"].integer(), toNumber(Screen::Selection));
  EXPECT_EQ(run.s()["messageText"].string(), "No characters to choose (chardb.txt)");
  const std::string missing = "picture select.BMP is missing";
  ASSERT_NE(run.err.find(missing), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(missing), run.err.rfind(missing)) << run.err;
}

TEST(PartySelection, PlacementKeepsToTheMapAndStopsWhenItIsFull) {
  // A 2 x 2 map with one opponent leaves three cells: three members are placed on the map; the fourth
  // and fifth find no cell and are not added, and nothing hangs.
  auto run = runReplay(campaign({"tiny"}),
                       "1 Enter\n3 Enter\n4 Right\n5 Enter\n6 Right\n7 Enter\n8 Right\n9 Enter\n"
                       "10 Right\n11 Enter\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto& s = run.s();
  EXPECT_EQ(s["partyCount"].integer(), 3);
  EXPECT_EQ(s["screenState"].integer(), toNumber(Screen::Selection));
  // The screen cannot go on: the message line says why, and standard error once.
  EXPECT_EQ(s["messageText"].string(), "No free cell left for the party");
  const std::string said = "No free cell left for the party in battle 1";
  ASSERT_NE(run.err.find(said), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(said), run.err.rfind(said)) << run.err;
  ASSERT_EQ(s["units"].size(), 4u);
  for (std::size_t i = 0; i < s["units"].size(); ++i) {
    EXPECT_LE(s["units"][i]["column"].integer(), 2);
    EXPECT_LE(s["units"][i]["row"].integer(), 2);
  }
}

}  // namespace
}  // namespace varnholt::testing
