// The balance report on a fixture campaign whose second battle no party can win (an opponent no blow
// harms): the battle flagged and the ones after it unreached, in the table and in the JSON of
// varnholt-autoplay --balance; every party played from the forked copy of the game at the party choice
// ends as the same party played through from the title; and the files a forked process inherits no
// longer share their read position.
#include "balance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fixture_campaign.h"
#include "json_value.h"

namespace varnholt::autoplay {
namespace {

namespace fs = std::filesystem;

class BalanceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new fs::path(fs::temp_directory_path() / ("varnholt-balance-" + std::to_string(::getpid())));
    fs::remove_all(*folder_);
    std::string error;
    ASSERT_TRUE(testing::buildCampaign({fs::path(FIXTURES) / "basic", fs::path(FIXTURES) / "unwinnable"},
                                       *folder_, {}, error))
        << error;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*folder_);
    delete folder_;
  }
  static fs::path* folder_;
};
fs::path* BalanceTest::folder_ = nullptr;

TEST_F(BalanceTest, TheToolsJsonFlagsTheBattleNoPartyWinsAndLeavesTheRestUnreached) {
  const std::string command =
      std::string(VARNHOLT_AUTOPLAY) + " --balance '" + folder_->string() + "' --json --jobs 2 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = ::pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << "\n" << out;

  const testing::JsonValue report = testing::JsonValue::parse(out);
  EXPECT_EQ(report["jobs"].integer(), 2);
  ASSERT_EQ(report["characters"].size(), 8u);
  EXPECT_EQ(report["characters"][0]["name"].string(), "Ada");
  const testing::JsonValue& battles = report["battles"];
  ASSERT_EQ(battles.size(), 5u);

  const testing::JsonValue& first = battles[0];
  EXPECT_TRUE(first["reached"].boolean());
  EXPECT_FALSE(first["neverWon"].boolean());
  EXPECT_EQ(first["played"].integer(), 56);
  EXPECT_GT(first["wins"].integer(), 0);
  EXPECT_GT(first["medianTurns"].number(), 0);
  EXPECT_EQ(first["leadsOn"].size(), 5u);
  ASSERT_EQ(first["parties"].size(), 56u);
  int wins = 0;
  for (const auto& party : first["parties"].array()) {
    const std::string result = party["result"].string();
    EXPECT_TRUE(result == "won" || result == "lost" || result == "stalled") << result;
    wins += result == "won";
    EXPECT_GE(party["membersLost"].integer(), 0);
    EXPECT_LE(party["membersLost"].integer(), 5);
  }
  EXPECT_EQ(wins, first["wins"].integer());

  const testing::JsonValue& second = battles[1];
  EXPECT_TRUE(second["reached"].boolean());
  EXPECT_TRUE(second["neverWon"].boolean());
  EXPECT_EQ(second["wins"].integer(), 0);
  EXPECT_EQ(second["played"].integer(), 56);
  EXPECT_THROW(second["medianTurns"], std::runtime_error) << "no median without a win";
  EXPECT_EQ(second["hardest"].size(), 5u);
  for (const auto& party : second["parties"].array()) EXPECT_EQ(party["membersLost"].integer(), 5);
  for (int n = 2; n < 5; ++n) {
    EXPECT_FALSE(battles[n]["reached"].boolean()) << "battle " << n + 1;
    EXPECT_EQ(battles[n]["parties"].size(), 0u);
  }
}

TEST_F(BalanceTest, EveryPartyFromTheCopyAtThePartyChoiceEndsAsWhenPlayedFromTheTitle) {
  const fs::path home = fs::current_path();
  fs::current_path(*folder_);
  GameDatabase database;
  const auto weaponRange = [&database](int item) { return database.getItem(item).range; };
  const std::vector<Party> all = partySets(preferenceOf(database));
  const std::vector<Party> parties = {all[0], all[20], all[55]};

  BalanceOptions options;
  options.jobs = 2;
  const BalanceReport report = runBalance(parties, weaponRange, options);
  ASSERT_EQ(report.battles.size(), 5u);

  for (int battle = 1; battle <= 2; ++battle) {
    SCOPED_TRACE("battle " + std::to_string(battle));
    const BattleBalance& played = report.battles[static_cast<std::size_t>(battle - 1)];
    EXPECT_EQ(played.failure, "");
    ASSERT_EQ(played.outcomes.size(), parties.size());
    const CampaignPath path = reachPartyChoice(battle, parties, weaponRange, [](const std::string&) {});
    ASSERT_EQ(path.reached, battle);
    for (std::size_t i = 0; i < parties.size(); ++i) {
      AutoPlayer player(Style::Fight, weaponRange, [&](int) { return parties[i]; });
      RunLimits limits = options.limits;
      limits.stopAfterBattle = battle;
      const RunResult straight = playCampaign(path.keys, player, limits);
      const PartyOutcome& outcome = played.outcomes[i];
      EXPECT_EQ(outcome.party, parties[i]);
      EXPECT_EQ(outcome.end, straight.end) << partyText(parties[i]);
      EXPECT_EQ(outcome.stats.frames, straight.fought.frames) << partyText(parties[i]);
      EXPECT_EQ(outcome.stats.turns, straight.fought.turns) << partyText(parties[i]);
      EXPECT_EQ(outcome.stats.standing, straight.fought.standing) << partyText(parties[i]);
    }
  }
  ASSERT_TRUE(report.battles[0].leadsOn.has_value());
  EXPECT_FALSE(report.battles[1].leadsOn.has_value());

  // One process at a time plays the same.
  options.jobs = 1;
  const BalanceReport alone = runBalance(parties, weaponRange, options);
  for (std::size_t b = 0; b < 2; ++b)
    for (std::size_t i = 0; i < parties.size(); ++i) {
      EXPECT_EQ(alone.battles[b].outcomes[i].end, report.battles[b].outcomes[i].end);
      EXPECT_EQ(alone.battles[b].outcomes[i].stats.frames, report.battles[b].outcomes[i].stats.frames);
    }

  const std::string table = formatBalanceTable(report);
  const auto line = [&](const std::string& start) {
    const std::size_t at = table.find("\n" + start);
    return at == std::string::npos ? std::string() : table.substr(at + 1, table.find('\n', at + 1) - at - 1);
  };
  EXPECT_EQ(line("1 ").find("NEVER WON"), std::string::npos) << table;
  EXPECT_NE(line("2 ").find("0/3"), std::string::npos) << table;
  EXPECT_NE(line("2 ").find("NEVER WON"), std::string::npos) << table;
  for (const char* later : {"3 ", "4 ", "5 "})
    EXPECT_NE(line(later).find("not reached"), std::string::npos) << table;
  EXPECT_NE(table.find("Battle 2 starts from the win of party " + partyText(*report.battles[0].leadsOn)),
            std::string::npos)
      << table;
  fs::current_path(home);
}

TEST(ForkedProcess, FilesItInheritsNoLongerShareTheirReadPosition) {
  const fs::path file = fs::temp_directory_path() / ("varnholt-detach-" + std::to_string(::getpid()));
  std::ofstream(file) << std::string(1000, 'x');
  const int fd = ::open(file.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  const auto readInChild = [&](bool detach) {
    ASSERT_EQ(::lseek(fd, 10, SEEK_SET), 10);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (detach) detachInheritedFiles();
      char buffer[100];
      const bool ok = ::lseek(fd, 0, SEEK_CUR) == 10 && ::read(fd, buffer, sizeof buffer) == 100;
      ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child reads from where it was";
  };
  readInChild(false);
  EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 110) << "without detaching, the child's read moves the parent's place";
  readInChild(true);
  EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 10);
  ::close(fd);
  fs::remove(file);
}

}  // namespace
}  // namespace varnholt::autoplay
