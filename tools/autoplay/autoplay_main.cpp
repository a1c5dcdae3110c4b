// varnholt-autoplay: plays the campaign headless with the auto-player and writes what it pressed as key
// scripts for varnholt-replay: one that wins all five battles (trying party choices until one does) and
// one that loses the first battle; or plays every battle with every party of five and reports how each
// battle went (the balance report).
//
//   varnholt-autoplay --data DIR [--win FILE] [--lose FILE] [--tries N]
//   varnholt-autoplay --balance DIR [--json] [--jobs N]
//
// Exit codes: 0 every script asked for was written and replays to its end, or the report was made (a
// battle no party wins is in the report, not in the exit code); 1 the game could not start, no party
// choice won, a written script did not replay as played, or a battle could not be played; 2 bad usage.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "app/content_location.h"
#include "app/game_loop.h"
#include "app/scripted_keyboard.h"
#include "autoplay/campaign_run.h"
#include "balance.h"
#include "cli/option_parser.h"
#include "data/game_database.h"
#include "platform/headless/headless_platform.h"

namespace fs = std::filesystem;
using namespace varnholt;
using namespace varnholt::autoplay;

namespace {

using WeaponRange = std::function<int(int item)>;

const char* kUsage =
    "Usage: varnholt-autoplay --data DIR [--win FILE] [--lose FILE] [--tries N]\n"
    "       varnholt-autoplay --balance DIR [--json] [--jobs N]\n"
    "Plays the campaign in DIR headless and writes key scripts for varnholt-replay.\n"
    "  --win FILE     a script that wins all five battles (party choices tried until one wins)\n"
    "  --lose FILE    a script that loses the first battle\n"
    "  --tries N      party choices tried per battle before going back to the one before, and for\n"
    "                 the lost battle, parties played to find the shortest loss (40)\n"
    "  --balance DIR  play every battle of the campaign in DIR with every party of five (56), each\n"
    "                 from the party choice the auto-player reaches there (the battles before it won,\n"
    "                 each with the first party that wins it), and print a table per battle: the\n"
    "                 parties that win, median turns, frames and members lost, the easiest and the\n"
    "                 hardest party, and a battle no party wins flagged NEVER WON\n"
    "  --json         the balance report as JSON, every party's result included\n"
    "  --jobs N       parties played at once, each in a process of its own (the number of cores)\n";

struct Options {
  std::optional<fs::path> dataDir;
  std::optional<fs::path> win;
  std::optional<fs::path> lose;
  std::optional<fs::path> balance;
  bool json = false;
  int tries = 40;
  int jobs = 0;
};

std::optional<Options> parseArguments(int argc, char** argv) {
  Options options;
  bool help = false;
  cli::OptionParser parser;
  parser
      .flag(
          {"--help"}, [&] { help = true; }, true)
      .value("--data", "a value", cli::storeIn(options.dataDir))
      .value("--win", "a value", cli::storeIn(options.win))
      .value("--lose", "a value", cli::storeIn(options.lose))
      .value("--tries", "a value", cli::numberIn(options.tries, 1, "--tries needs a number from 1"))
      .value("--balance", "a folder", cli::storeIn(options.balance))
      .flag({"--json"}, [&] { options.json = true; })
      .value("--jobs", "a value", cli::numberIn(options.jobs, 1, "--jobs needs a number from 1"));
  const auto parsed = parser.parse(argc, argv);
  if (help) {
    std::cout << kUsage;
    std::exit(0);
  }
  std::string error = parsed.error;
  if (error.empty() && options.balance && (options.win || options.lose))
    error = "--balance makes a report, not scripts: give it without --win and --lose";
  if (error.empty() && options.balance && options.dataDir)
    error = "--balance names the campaign: give it without --data";
  if (error.empty() && !options.balance && (options.json || options.jobs != 0))
    error = "--json and --jobs go with --balance";
  if (error.empty() && !options.win && !options.lose && !options.balance)
    error = "nothing to do: give --win, --lose or --balance";
  if (options.balance) options.dataDir = options.balance;
  if (!error.empty()) {
    std::cerr << "varnholt-autoplay: " << error << "\n" << kUsage;
    return std::nullopt;
  }
  return options;
}

struct Replayed {
  app::LoopResult loop;
  int battleNumber = 0;
  bool partyLeft = false;
};

// Replays a written script the way varnholt-replay does, to make sure it plays what was played.
std::optional<Replayed> replay(const std::string& text) {
  std::string error;
  auto script = app::KeyScript::parse(text, error);
  if (!script) {
    std::cerr << "varnholt-autoplay: the written script does not parse: " << error << "\n";
    return std::nullopt;
  }
  platform::HeadlessPlatform headless;
  app::ScriptedKeyboard keyboard(headless, *script);
  app::Game game(keyboard);
  if (!game.gameInit()) return std::nullopt;
  app::FrameObserver observer;
  observer.beforeFrame = [&](int frame) { keyboard.beginFrame(frame); };
  Replayed result;
  result.loop = app::runGameLoop(game, keyboard, observer, script->lastFrame() + 1);
  result.battleNumber = game.battle().battleNumber;
  for (int i = 0; i < game.battle().units.count(); ++i)
    if (game.battle().units.at(i).side == kPlayerSide) result.partyLeft = true;
  game.gameShutdown();
  return result;
}

bool writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  if (!out) std::cerr << "varnholt-autoplay: cannot write " << path.string() << "\n";
  return static_cast<bool>(out);
}

std::string partyText(const Party& party) {
  std::string text;
  for (int id : party) text += (text.empty() ? "" : " ") + std::to_string(id);
  return text;
}

const char* kRegenerate = "Regenerate: varnholt-autoplay --data build/share/varnholt/campaign";

// The shortest lost first battle among the weakest parties without the character the opponents make
// for (id 1), who would stand their blows: every one of the first `tries` is played. The script's text,
// or nullopt when none lost as it should.
std::optional<std::string> searchLosingScript(const std::vector<Party>& candidates, int tries,
                                              const WeaponRange& weaponRange) {
  std::vector<Party> weakest;
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it)
    if (std::find(it->begin(), it->end(), 1) == it->end()) weakest.push_back(*it);
  std::optional<std::string> text;
  std::size_t shortest = 0;
  for (int t = 0; t < tries && t < static_cast<int>(weakest.size()); ++t) {
    const Party& party = weakest[static_cast<std::size_t>(t)];
    AutoPlayer player(Style::Yield, weaponRange, [&](int) { return party; });
    RunLimits limits;
    limits.stopAfterBattle = 1;
    limits.framesAfterDefeat = 300;
    limits.battleFrameLimit = text ? static_cast<int>(shortest) : 60000;
    const RunResult run = playCampaign({}, player, limits);
    std::cout << "lose: party " << partyText(party) << ": " << runEndName(run.end) << " after "
              << run.keys.size() << " frames, " << run.virtualMs << " virtual ms" << std::endl;
    if (run.end != RunEnd::Lost || (text && run.keys.size() >= shortest)) continue;
    std::string written = formatKeyScript(
        run.keys, {"Battle 1 lost: the party walks up to the goblins and never strikes (party " +
                       partyText(party) + ").",
                   std::string(kRegenerate) + " --tries " + std::to_string(tries) +
                       " --lose tests/campaign/lose.keys"});
    auto replayed = replay(written);
    if (replayed && replayed->loop.reason == app::ExitReason::Running && replayed->battleNumber == 1 &&
        !replayed->partyLeft) {
      text = std::move(written);
      shortest = run.keys.size();
    }
  }
  if (!text) std::cerr << "varnholt-autoplay: no lost first battle to write\n";
  return text;
}

// A script that wins the whole campaign, checked by replaying it; nullopt when none was found.
std::optional<std::string> searchWinningScript(const std::vector<Party>& candidates, int tries,
                                               const WeaponRange& weaponRange) {
  auto log = [](const std::string& line) { std::cout << line << std::endl; };
  const SearchResult found = searchWinningCampaign(candidates, tries, weaponRange, log);
  if (!found.won) {
    std::cerr << "varnholt-autoplay: no party choice won the campaign in " << found.attempts << " attempts\n";
    return std::nullopt;
  }
  std::vector<std::string> header = {"The campaign won: all five battles, ending on the end picture."};
  for (std::size_t i = 0; i < found.parties.size(); ++i)
    header.push_back("Battle " + std::to_string(i + 1) + " party: " + partyText(found.parties[i]));
  header.push_back(std::string(kRegenerate) + " --tries " + std::to_string(tries) +
                   " --win tests/campaign/win.keys");
  std::string text = formatKeyScript(found.run.keys, header);
  std::cout << "win: " << found.attempts << " attempts, " << found.run.keys.size() << " frames, "
            << found.run.virtualMs << " virtual ms\n";
  auto replayed = replay(text);
  if (!replayed || replayed->loop.reason != app::ExitReason::CampaignEnd) {
    std::cerr << "varnholt-autoplay: the written script does not replay to the end of the campaign\n";
    return std::nullopt;
  }
  return text;
}

// The balance report on standard output, the battles' progress on standard error.
int reportBalance(const Options& options, GameDatabase& database, const WeaponRange& weaponRange) {
  BalanceOptions balance;
  const unsigned cores = std::thread::hardware_concurrency();
  balance.jobs = options.jobs > 0 ? options.jobs : static_cast<int>(std::max(1u, cores));
  balance.limits = pathLimits();
  balance.progress = [](const std::string& line) { std::cerr << "varnholt-autoplay: " << line << std::endl; };
  const std::vector<Party> parties = partySets(preferenceOf(database));
  BalanceReport report = runBalance(parties, weaponRange, balance);
  for (int id = 1; id <= 8; ++id) report.names.push_back(database.getCharacter(id).name);
  if (options.json) {
    writeBalanceJson(std::cout, report);
  } else {
    std::cout << formatBalanceTable(report);
  }
  for (const BattleBalance& battle : report.battles)
    if (!battle.failure.empty()) return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  auto options = parseArguments(argc, argv);
  if (!options) return 2;
  const fs::path workingDir = fs::current_path();
  auto absolute = [&](const fs::path& path) { return path.is_absolute() ? path : workingDir / path; };
  auto search = app::findContent(options->dataDir, workingDir, app::executablePath(argv[0]));
  if (!search.found) {
    std::cerr << app::describeMissingContent(search) << "\n";
    return 1;
  }
  if (::chdir(search.found->c_str()) != 0) {
    std::cerr << "varnholt-autoplay: cannot enter " << search.found->string() << "\n";
    return 1;
  }

  // A database of its own for the weapons' ranges, so the game's record caches are never touched.
  GameDatabase database;
  const WeaponRange weaponRange = [&database](int item) { return database.getItem(item).range; };
  const std::vector<Party> candidates = partyCandidates(preferenceOf(database));

  if (options->balance) return reportBalance(*options, database, weaponRange);

  int status = 0;
  if (options->lose) {
    const auto text = searchLosingScript(candidates, options->tries, weaponRange);
    if (!text || !writeFile(absolute(*options->lose), *text)) status = 1;
  }
  if (options->win) {
    const auto text = searchWinningScript(candidates, options->tries, weaponRange);
    if (!text) return 1;
    if (!writeFile(absolute(*options->win), *text)) status = 1;
  }
  return status;
}
