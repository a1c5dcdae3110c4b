// The keys that lead a playtest to its battle's party choice.
#include "autoplay/playtest.h"

#include "autoplay/campaign_run.h"
#include "data/game_database.h"

namespace varnholt::autoplay {

PlaytestStart preparePlaytest(int battle, const std::function<void(const std::string&)>& log) {
  // A database of its own for the weapons' ranges and the party ranking, apart from the games' own.
  GameDatabase database;
  const auto weaponRange = [&database](int item) { return database.getItem(item).range; };
  const std::vector<Party> parties = partySets(preferenceOf(database));
  const CampaignPath path = reachPartyChoice(battle, parties, weaponRange, log);

  PlaytestStart start;
  if (path.reached == 0) {
    start.failure = path.failure;
    return start;
  }
  start.started = true;
  start.battle = path.reached;
  start.frames = static_cast<int>(path.keys.size());
  std::vector<std::string> header = {"Playtest: the auto-player's keys up to battle " +
                                     std::to_string(path.reached) + "'s party choice."};
  for (std::size_t i = 0; i < path.parties.size(); ++i) {
    std::string line = "Battle " + std::to_string(i + 1) + " won by party";
    for (int id : path.parties[i]) line += " " + std::to_string(id);
    header.push_back(line);
  }
  start.keys = formatKeyScript(path.keys, header);
  if (path.reached < battle) {
    const std::string reached = std::to_string(path.reached);
    start.shortfall = "playtest: the auto-player won battle " + reached +
                      " with no party; you start at its party choice, not battle " + std::to_string(battle) +
                      "'s";
  }
  return start;
}

}  // namespace varnholt::autoplay
