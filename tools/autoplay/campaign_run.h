#pragma once
// Runs the game headless in this process, frame by frame, with the keys of a fixed prefix first and the
// auto-player's keys after it, watching for a won battle, a lost one, the end of the campaign or a
// battle that no longer goes anywhere; and the search over party choices that wins the campaign.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/key_script.h"
#include "auto_player.h"

namespace varnholt::autoplay {

enum class RunEnd {
  BattleWon,    // the battle named by stopAfterBattle was won
  CampaignEnd,  // the last battle was won and the game ended itself
  Lost,         // the party was wiped out
  Stalled,      // the battle went on too long without a combatant losing HP
  NoStart,      // the game could not start
};

const char* runEndName(RunEnd end);

struct RunLimits {
  int stopAfterBattle = 0;       // stop once this battle is won (0: play on)
  int framesAfterDefeat = 0;     // after a wipe-out, frames run on before the run stops
  int battleFrameLimit = 40000;  // a battle longer than this counts as stalled
  int quietFrameLimit = 4000;    // frames without any HP lost or combatant removed: stalled
};

struct RunResult {
  RunEnd end = RunEnd::NoStart;
  std::vector<KeySet> keys;  // the keys of every frame that ran, frame 1 first
  int battleNumber = 0;      // the battle the run ended in
  std::uint32_t virtualMs = 0;
  std::string failure;
};

// Plays from the title with `prefix` first (one key set per frame), then with `player`. The working
// directory must be the campaign folder.
RunResult playCampaign(const std::vector<KeySet>& prefix, AutoPlayer& player, const RunLimits& limits);

// A party of five drawn from the eight party characters, in the order they are added: every choice,
// the strongest sets first (by `preference`, a ranking of the ids 1..8, best first), and within a set the
// orders that add the stronger characters last.
std::vector<Party> partyCandidates(const std::vector<int>& preference);

struct SearchResult {
  bool won = false;
  RunResult run;               // the winning run
  std::vector<Party> parties;  // the party of each battle
  int attempts = 0;
};

// Depth-first over the battles: for each battle the candidates in turn (at most `triesPerBattle`),
// keeping the keys of the battles won so far as the prefix of the next attempt. `log` hears each attempt.
SearchResult searchWinningCampaign(const std::vector<Party>& candidates, int triesPerBattle,
                                   std::function<int(int)> weaponRange,
                                   const std::function<void(const std::string&)>& log);

// Writes the keys as a key script (consecutive frames with the same keys merged), after `header`
// lines (written as comments), ending with a line that marks the length of the run.
std::string formatKeyScript(const std::vector<KeySet>& keys, const std::vector<std::string>& header);

}  // namespace varnholt::autoplay
