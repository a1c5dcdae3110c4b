#pragma once
// Runs the game headless in this process, frame by frame, with the keys of a fixed prefix first and the
// auto-player's keys after it, watching for a won battle, a lost one, the end of the campaign or a
// battle that no longer goes anywhere; the search over party choices that wins the campaign; and the
// auto-player's way to a battle's party choice that --playtest and the balance report start from.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/key_script.h"
#include "autoplay/auto_player.h"
#include "data/game_database.h"

namespace varnholt::autoplay {

enum class RunEnd {
  BattleWon,      // the battle named by stopAfterBattle was won
  CampaignEnd,    // the last battle was won and the game ended itself
  Lost,           // the party was wiped out
  Stalled,        // the battle went on too long without a combatant losing HP
  NoStart,        // the game could not start
  ChoiceReached,  // the party choice named by stopAtChoice opened
  Stopped,        // atChoice ended the run
};

const char* runEndName(RunEnd end);

struct RunLimits {
  int stopAfterBattle = 0;       // stop once this battle is won, as the next party choice opens (0: play on)
  int stopAtChoice = 0;          // stop as this battle's party choice opens (0: play on)
  int framesAfterDefeat = 0;     // after a wipe-out, frames run on before the run stops
  int battleFrameLimit = 40000;  // a battle longer than this counts as stalled
  int quietFrameLimit = 4000;    // frames without any HP lost or combatant removed: stalled
  // Frames in which neither side's HP total falls below its lowest yet and nobody leaves the field:
  // stalled, a battle where blows and healing go back and forth for ever (0: not watched).
  int progressFrameLimit = 0;
  // Told of each party choice that opens once the prefix has run, with its battle's number, in the frame
  // it opens; false ends the run there (RunEnd::Stopped).
  std::function<bool(int battle)> atChoice;
};

// One battle as the run saw it.
struct BattleStats {
  int battle = 0;
  int frames = 0;    // frames on the battle screen, the one that decided it included
  int turns = 0;     // turns begun, of either side
  int standing = 0;  // party members with HP left when the run last looked (the frame before a win)
};

struct RunResult {
  RunEnd end = RunEnd::NoStart;
  std::vector<KeySet> keys;  // the keys of every frame that ran, frame 1 first
  int battleNumber = 0;      // the battle the run ended in
  BattleStats fought;        // the battle won just before the run stopped, else the one it ended in
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

// The party characters 1..8, best first, by a plain reckoning of how long each lasts and how hard it
// hits: maximum HP, attack beyond the typical opponent's defence, defence, accuracy and speed.
std::vector<int> preferenceOf(GameDatabase& database);

// Every party of five from the eight (56), one order each: the sets in the order partyCandidates puts
// them, each in its first order there (the stronger characters added last).
std::vector<Party> partySets(const std::vector<int>& preference);

// The limits the auto-player's way through the campaign is played under (by --playtest and the balance
// report alike): the defaults, with a battle where blows and healing go back and forth for 4000 frames
// counted as stalled.
RunLimits pathLimits();

// The auto-player's way to a battle's party choice: battle 1's choice, then each battle before `goal`
// won with the first of `parties` that wins it from where the battle before left the campaign, under
// pathLimits(). It stops early at a battle no party wins.
struct CampaignPath {
  int reached = 0;             // the battle whose party choice the keys open (0: not even battle 1's)
  std::vector<KeySet> keys;    // every frame's keys, up to and including the frame that opens that choice
  std::vector<Party> parties;  // the party that won each battle before `reached`
  std::string failure;         // why the game did not start, when it did not
};
CampaignPath reachPartyChoice(int goal, const std::vector<Party>& parties,
                              std::function<int(int)> weaponRange,
                              const std::function<void(const std::string&)>& log);

// Writes the keys as a key script (consecutive frames with the same keys merged), after `header`
// lines (written as comments), ending with a line that marks the length of the run.
std::string formatKeyScript(const std::vector<KeySet>& keys, const std::vector<std::string>& header);

}  // namespace varnholt::autoplay
