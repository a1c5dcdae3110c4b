// varnholt-autoplay: plays the campaign headless with the auto-player and writes what it pressed as key
// scripts for varnholt-replay: one that wins all five battles (trying party choices until one does) and
// one that loses the first battle.
//
//   varnholt-autoplay --data DIR [--win FILE] [--lose FILE] [--tries N]
//
// Exit codes: 0 every script asked for was written and replays to its end; 1 the game could not start,
// no party choice won, or a written script did not replay as played; 2 bad usage.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "app/content_location.h"
#include "app/game_loop.h"
#include "app/scripted_keyboard.h"
#include "campaign_run.h"
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
    "Plays the campaign in DIR headless and writes key scripts for varnholt-replay.\n"
    "  --win FILE   a script that wins all five battles (party choices tried until one wins)\n"
    "  --lose FILE  a script that loses the first battle\n"
    "  --tries N    party choices tried per battle before going back to the one before, and for\n"
    "               the lost battle, parties played to find the shortest loss (40)\n";

struct Options {
  std::optional<fs::path> dataDir;
  std::optional<fs::path> win;
  std::optional<fs::path> lose;
  int tries = 40;
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
      .value("--tries", "a value", cli::numberIn(options.tries, 1, "--tries needs a number from 1"));
  const auto parsed = parser.parse(argc, argv);
  if (help) {
    std::cout << kUsage;
    std::exit(0);
  }
  std::string error = parsed.error;
  if (error.empty() && !options.win && !options.lose) error = "nothing to write: give --win or --lose";
  if (!error.empty()) {
    std::cerr << "varnholt-autoplay: " << error << "\n" << kUsage;
    return std::nullopt;
  }
  return options;
}

// The party characters 1..8, best first, by a plain reckoning of how long each lasts and how hard it
// hits: maximum HP, attack beyond the typical opponent's defence, defence, accuracy and speed.
std::vector<int> preferenceOf(GameDatabase& database) {
  std::vector<std::pair<double, int>> scored;
  for (int id = 1; id <= 8; ++id) {
    Character character = database.getCharacter(id);
    character.computeDerived(database);
    const double score =
        character.maxHp + 3.0 * character.atk + 2.0 * character.def + character.hit + 0.5 * character.aspd;
    scored.push_back({-score, id});
  }
  std::sort(scored.begin(), scored.end());
  std::vector<int> preference;
  for (const auto& [score, id] : scored) preference.push_back(id);
  return preference;
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
