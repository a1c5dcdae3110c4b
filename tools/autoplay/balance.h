#pragma once
// The balance report: every battle of the campaign played by the auto-player with every party of five,
// each from the party choice the auto-player reaches at that battle (the keys that win the battles before
// it, each with the first party that wins it), and what came of it summed up per battle.
//
// The engine keeps its state in process-wide globals (the display, the back buffer, the picture being
// read, the current platform, the shared random generator), so two games cannot run side by side in
// threads of one process. Each battle is played in a process of its own (fork) that runs the keys up to
// its party choice once and there forks one process per party: every party starts from a copy of that
// state, made by the system page by page as it is written, without the keys being run again. At most
// `jobs` party processes run at once; each sends its result back through a pipe.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "autoplay/campaign_run.h"

namespace varnholt::autoplay {

struct PartyOutcome {
  Party party{};
  RunEnd end = RunEnd::NoStart;  // NoStart: the party's process sent nothing back
  BattleStats stats;
  bool won() const { return end == RunEnd::BattleWon || end == RunEnd::CampaignEnd; }
  int membersLost() const { return static_cast<int>(party.size()) - stats.standing; }
};

struct BattleBalance {
  int battle = 0;
  bool reached = false;  // false: no party won the battle before, so this one's choice never came
  std::vector<PartyOutcome> outcomes;  // one per party, in the order given
  std::optional<Party> leadsOn;        // the party whose win the next battle starts from
  std::string failure;                 // what went wrong in playing it, if anything did
  double seconds = 0;
  double prefixSeconds = 0;  // of which running the keys up to its party choice, once
};

struct BalanceReport {
  std::vector<BattleBalance> battles;  // battles 1 to kLastBattle
  std::vector<std::string> names;      // the names of characters 1..8, for the legend
  int jobs = 0;
  double seconds = 0;
};

struct BalanceOptions {
  int jobs = 2;  // party processes at once
  RunLimits limits = pathLimits();
  // Hears a line as each battle is done.
  std::function<void(const std::string&)> progress;
};

// Plays every battle with every party of `parties`. The working directory must be the campaign folder.
BalanceReport runBalance(const std::vector<Party>& parties, const std::function<int(int)>& weaponRange,
                         const BalanceOptions& options);

// A battle's figures. Turns, frames and members lost are over the parties that won; the easiest party is
// the one that did best (a win before a loss; then fewer members lost, fewer turns, fewer frames; a loss
// that lasted longer before a shorter one) and the hardest the one that did worst, the earlier party
// first among equals.
struct BattleSummary {
  int wins = 0;
  int played = 0;
  std::optional<double> medianTurns;
  std::optional<double> medianFrames;
  std::optional<double> medianMembersLost;
  int mostMembersLost = 0;
  std::optional<std::size_t> easiest;  // index into the outcomes
  std::optional<std::size_t> hardest;
  bool neverWon() const { return played > 0 && wins == 0; }
};
BattleSummary summarize(const BattleBalance& battle);

std::string partyText(const Party& party);

// For a forked process: the files it inherited open for reading (the font the game draws its text with,
// read as glyphs are needed) share their read position with the processes they came from. Each is given
// an open file of its own at the same position, so that processes reading side by side do not move each
// other's place in the file.
void detachInheritedFiles();
// The table, one row per battle, then a line on the easiest and hardest party of each and the flags.
std::string formatBalanceTable(const BalanceReport& report);
// The same as JSON, every party's result included.
void writeBalanceJson(std::ostream& out, const BalanceReport& report);

}  // namespace varnholt::autoplay
