// Playing the campaign in-process with the auto-player, and the search over party choices.
#include "autoplay/campaign_run.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <sstream>

#include "app/game_loop.h"
#include "app/key_recorder.h"
#include "app/platform_decorator.h"
#include "app/scripted_keyboard.h"
#include "platform/headless/headless_platform.h"

namespace varnholt::autoplay {
namespace {

// The keyboard as the game sees it: the key set chosen for the frame, for every read and direct test.
class HeldKeys : public app::PlatformDecorator {
 public:
  using PlatformDecorator::PlatformDecorator;
  void hold(KeySet keys) { keys_ = keys; }
  bool readKeyboard(std::uint8_t (&state)[256]) override {
    app::keySetToSnapshot(keys_, state);
    return true;
  }
  bool isKeyDown(platform::DirectKey key) override { return app::directKeyIn(key, keys_); }

 private:
  KeySet keys_ = 0;
};

// Thrown from the frame observer to leave the loop once the run has what it came for.
struct StopRun {
  RunEnd end;
};

bool partyInBattle(const Battle& battle) {
  for (int i = 0; i < battle.units.count(); ++i)
    if (battle.units.at(i).side == kPlayerSide) return true;
  return false;
}

// Changes whenever a combatant loses or gains HP or leaves the battle.
long long battleFingerprint(const Battle& battle) {
  long long sum = battle.units.count();
  for (int i = 0; i < battle.units.count(); ++i) sum = sum * 31 + battle.units.at(i).hp;
  return sum;
}

}  // namespace

const char* runEndName(RunEnd end) {
  switch (end) {
    case RunEnd::BattleWon:
      return "battle won";
    case RunEnd::CampaignEnd:
      return "campaign end";
    case RunEnd::Lost:
      return "lost";
    case RunEnd::Stalled:
      return "stalled";
    case RunEnd::NoStart:
      return "no start";
    case RunEnd::ChoiceReached:
      return "party choice reached";
    case RunEnd::Stopped:
      return "stopped";
  }
  return "no start";
}

RunResult playCampaign(const std::vector<KeySet>& prefix, AutoPlayer& player, const RunLimits& limits) {
  RunResult result;
  platform::HeadlessPlatform headless;
  HeldKeys keyboard(headless);
  app::Game game(keyboard);
  if (!game.gameInit()) {
    result.failure = game.failure();
    return result;
  }
  const std::uint32_t start = headless.ticks();

  int battle = game.battle().battleNumber;
  int battleFrames = 0;
  int quietFrames = 0;
  long long fingerprint = 0;
  int framesSinceDefeat = -1;
  // The lowest HP totals of each side and the fewest combatants the battle has had, and the frames since.
  struct Lows {
    long long party = std::numeric_limits<long long>::max();
    long long others = std::numeric_limits<long long>::max();
    int combatants = std::numeric_limits<int>::max();
    int since = 0;
  } lows;
  Screen previousScreen = game.flow().screenState;
  int previousState = game.battle().state;
  BattleStats current;
  current.battle = battle;

  app::FrameObserver observer;
  observer.beforeFrame = [&](int frame) {
    const auto index = static_cast<std::size_t>(frame - 1);
    const KeySet keys = index < prefix.size() ? prefix[index] : player.nextKeys(game);
    keyboard.hold(keys);
    result.keys.push_back(keys);
  };
  observer.afterFrame = [&](int frame) {
    const Battle& b = game.battle();
    const Screen screen = game.flow().screenState;
    const bool choiceOpened = screen == Screen::Selection && previousScreen != Screen::Selection;
    previousScreen = screen;
    if (b.battleNumber != battle) {
      // Won in this frame, which has already cleared the field and loaded the next battle.
      ++current.frames;
      result.fought = current;
      battle = b.battleNumber;
      current = BattleStats{};
      current.battle = battle;
      battleFrames = quietFrames = 0;
      lows = Lows{};
    } else if (screen == Screen::Battle) {
      ++current.frames;
      if (previousState == kStateChoosing && b.state != kStateChoosing) ++current.turns;
      current.standing = 0;
      for (int i = 0; i < b.units.count(); ++i)
        if (b.units.at(i).side == kPlayerSide && b.units.at(i).hp >= 1) ++current.standing;
      result.fought = current;
    }
    previousState = b.state;
    if (choiceOpened && limits.stopAfterBattle != 0 && battle > limits.stopAfterBattle)
      throw StopRun{RunEnd::BattleWon};
    if (static_cast<std::size_t>(frame) < prefix.size()) return;
    if (choiceOpened) {
      if (limits.stopAtChoice == battle) throw StopRun{RunEnd::ChoiceReached};
      if (limits.atChoice && !limits.atChoice(battle)) throw StopRun{RunEnd::Stopped};
    }
    if (screen != Screen::Battle) return;
    if (framesSinceDefeat >= 0) {
      if (++framesSinceDefeat >= limits.framesAfterDefeat) throw StopRun{RunEnd::Lost};
      return;
    }
    if (!partyInBattle(b)) {
      framesSinceDefeat = 0;
      if (limits.framesAfterDefeat == 0) throw StopRun{RunEnd::Lost};
      return;
    }
    const long long now = battleFingerprint(b);
    quietFrames = now == fingerprint ? quietFrames + 1 : 0;
    fingerprint = now;
    if (++battleFrames > limits.battleFrameLimit || quietFrames > limits.quietFrameLimit)
      throw StopRun{RunEnd::Stalled};
    if (limits.progressFrameLimit > 0) {
      long long party = 0;
      long long others = 0;
      for (int i = 0; i < b.units.count(); ++i)
        (b.units.at(i).side == kPlayerSide ? party : others) += b.units.at(i).hp;
      if (party < lows.party || others < lows.others || b.units.count() < lows.combatants) {
        lows.party = std::min(lows.party, party);
        lows.others = std::min(lows.others, others);
        lows.combatants = std::min(lows.combatants, b.units.count());
        lows.since = 0;
      } else if (++lows.since > limits.progressFrameLimit) {
        throw StopRun{RunEnd::Stalled};
      }
    }
  };

  try {
    const app::LoopResult loop = app::runGameLoop(game, keyboard, observer);
    result.end = loop.reason == app::ExitReason::CampaignEnd ? RunEnd::CampaignEnd : RunEnd::Stalled;
  } catch (const StopRun& stop) {
    result.end = stop.end;
  }
  result.battleNumber = game.battle().battleNumber;
  result.virtualMs = headless.ticks() - start;
  game.gameShutdown();
  return result;
}

std::vector<Party> partyCandidates(const std::vector<int>& preference) {
  // Ranks 0..7 of the preference; a pick is five distinct ranks in the order added.
  std::vector<std::array<int, 5>> picks;
  std::array<int, 8> ranks{};
  std::iota(ranks.begin(), ranks.end(), 0);
  for (int mask = 0; mask < 256; ++mask) {
    if (__builtin_popcount(static_cast<unsigned>(mask)) != 5) continue;
    std::array<int, 5> set{};
    int n = 0;
    for (int r = 0; r < 8; ++r)
      if (mask & (1 << r)) set[static_cast<std::size_t>(n++)] = r;
    // Stronger (lower rank) characters last: start from the descending order of rank.
    std::sort(set.begin(), set.end(), std::greater<>());
    do {
      picks.push_back(set);
    } while (std::prev_permutation(set.begin(), set.end()));
  }
  auto setWeight = [](const std::array<int, 5>& pick) {
    return std::accumulate(pick.begin(), pick.end(), 0);
  };
  std::stable_sort(picks.begin(), picks.end(),
                   [&](const auto& a, const auto& b) { return setWeight(a) < setWeight(b); });
  std::vector<Party> parties;
  parties.reserve(picks.size());
  for (const auto& pick : picks) {
    Party party{};
    for (std::size_t i = 0; i < pick.size(); ++i) party[i] = preference.at(static_cast<std::size_t>(pick[i]));
    parties.push_back(party);
  }
  return parties;
}

namespace {

struct Searcher {
  const std::vector<Party>& candidates;
  int triesPerBattle;
  std::function<int(int)> weaponRange;
  const std::function<void(const std::string&)>& log;
  std::vector<Party> parties;
  int attempts = 0;
  RunResult winning;

  bool searchFrom(int battle, const std::vector<KeySet>& prefix) {
    const int tries = std::min<int>(triesPerBattle, static_cast<int>(candidates.size()));
    for (int t = 0; t < tries; ++t) {
      const Party& party = candidates[static_cast<std::size_t>(t)];
      parties.resize(static_cast<std::size_t>(battle - 1));
      parties.push_back(party);
      AutoPlayer player(Style::Fight, weaponRange, [&](int n) {
        return parties.at(static_cast<std::size_t>(std::clamp(n, 1, battle) - 1));
      });
      RunLimits limits;
      limits.stopAfterBattle = battle;
      RunResult run = playCampaign(prefix, player, limits);
      ++attempts;
      std::ostringstream line;
      line << "attempt " << attempts << ": battle " << battle << " party";
      for (int id : party) line << ' ' << id;
      line << ": " << runEndName(run.end) << " after " << run.keys.size() << " frames";
      log(line.str());
      if (run.end == RunEnd::CampaignEnd) {
        winning = std::move(run);
        return true;
      }
      if (run.end == RunEnd::BattleWon && searchFrom(battle + 1, run.keys)) return true;
    }
    return false;
  }
};

}  // namespace

SearchResult searchWinningCampaign(const std::vector<Party>& candidates, int triesPerBattle,
                                   std::function<int(int)> weaponRange,
                                   const std::function<void(const std::string&)>& log) {
  Searcher searcher{candidates, triesPerBattle, std::move(weaponRange), log, {}, 0, {}};
  SearchResult result;
  result.won = searcher.searchFrom(1, {});
  result.attempts = searcher.attempts;
  result.parties = searcher.parties;
  result.run = std::move(searcher.winning);
  return result;
}

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

std::vector<Party> partySets(const std::vector<int>& preference) {
  std::vector<Party> sets;
  std::vector<Party> seen;
  for (const Party& party : partyCandidates(preference)) {
    Party sorted = party;
    std::sort(sorted.begin(), sorted.end());
    if (std::find(seen.begin(), seen.end(), sorted) != seen.end()) continue;
    seen.push_back(sorted);
    sets.push_back(party);
  }
  return sets;
}

RunLimits pathLimits() {
  RunLimits limits;
  limits.progressFrameLimit = 4000;
  return limits;
}

CampaignPath reachPartyChoice(int goal, const std::vector<Party>& parties,
                              std::function<int(int)> weaponRange,
                              const std::function<void(const std::string&)>& log) {
  CampaignPath path;
  Party chosen{};
  RunLimits limits = pathLimits();
  limits.stopAtChoice = 1;
  {
    AutoPlayer player(Style::Fight, weaponRange, [&](int) { return chosen; });
    RunResult run = playCampaign({}, player, limits);
    if (run.end != RunEnd::ChoiceReached) {
      path.failure = run.failure.empty() ? std::string("battle 1's party choice never opened") : run.failure;
      return path;
    }
    path.keys = std::move(run.keys);
    path.reached = 1;
  }
  while (path.reached < goal) {
    const int battle = path.reached;
    bool won = false;
    for (const Party& party : parties) {
      chosen = party;
      AutoPlayer player(Style::Fight, weaponRange, [&](int) { return chosen; });
      limits = pathLimits();
      limits.stopAfterBattle = battle;
      RunResult run = playCampaign(path.keys, player, limits);
      std::ostringstream line;
      line << "battle " << battle << " party";
      for (int id : party) line << ' ' << id;
      line << ": " << runEndName(run.end) << " after " << run.fought.turns << " turns";
      log(line.str());
      if (run.end == RunEnd::BattleWon) {
        path.keys = std::move(run.keys);
        path.parties.push_back(party);
        path.reached = battle + 1;
        won = true;
        break;
      }
    }
    if (!won) break;
  }
  return path;
}

std::string formatKeyScript(const std::vector<KeySet>& keys, const std::vector<std::string>& header) {
  std::ostringstream out;
  for (const std::string& line : header) out << "# " << line << '\n';
  {
    app::KeyScriptWriter writer(out);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      app::RecordedFrame frame;
      frame.reads.push_back(keys[i]);
      writer.writeFrame(static_cast<int>(i) + 1, frame);
    }
    writer.finish();
    // The runner plays one frame past the last frame named: naming the one before the last makes it
    // play exactly as many frames as this run did.
    const int frames = static_cast<int>(keys.size());
    if (frames > 1 && writer.lastNamedFrame() < frames - 1) writer.writeEnd(frames - 1);
  }
  return out.str();
}

}  // namespace varnholt::autoplay
