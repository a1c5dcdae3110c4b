// What follows a battle: a lost battle shows the game-over picture and goes on; a won battle shows the
// victory picture, levels up the survivors, writes them back to the roster, loads the next battle and
// has the battle screen's frame hand over to the selection; winning the last battle shows the end picture
// and ends the game.
#include "app/frame_stop.h"
#include "app/game.h"
#include "battle/battle_definition.h"
#include "engine/engine.h"
#include "flow/screen_rules.h"

namespace varnholt::app {

void Game::handleDefeat() {
  showResultPicture(pictures::kDefeat);
  ++defeats_;
}

void Game::handleVictory() {
  battle_.battleNumber += 1;
  if (battle_.battleNumber == kLastBattle + 1) {
    showResultPicture(pictures::kCampaignEnd);
    gameShutdown();
    throw FrameStop::campaignEnd();
  }
  showResultPicture(pictures::kVictory);
  for (int i = 0; i < battle_.units.count(); ++i) {
    Character survivor = battle_.units.at(i);
    survivor.levelUp(database_);
    flow_.roster.remove(survivor);
    flow_.roster.add(survivor);
  }
  afterBattleFrame_ = Screen::Selection;
  battle_.units.clear();
  flow_.partyCount = 0;
  battle_.spriteCount = 0;
  flow_.setCursor(kSelectionCursorX0, kSelectionCursorY, 3);
  loadBattle(battle_, battle_.battleNumber);
}

}  // namespace varnholt::app
