#pragma once
// The auto-player: looks at the game after each frame and chooses the keys of the next one, as a player
// at the keyboard would. Title: Begin. Selection: the planned party in the planned order. Battle, on a
// turn of the player's side only (the command bar would act for a computer combatant too): move toward
// the opponents and strike the best blow in reach, else end the turn. It never changes the game.

#include <array>
#include <functional>
#include <map>
#include <optional>

#include "app/game.h"
#include "app/key_script.h"
#include "autoplay/decisions.h"

namespace varnholt::autoplay {

// The ids of the five characters added on a selection screen, in the order they are added.
using Party = std::array<int, GameFlowState::partySize>;

enum class Style {
  Fight,  // move toward the opponents and strike
  Yield,  // walk up to the opponents but never strike: a battle meant to be lost
};

// Where a party member stands when the battle is meant to be lost. The opponents make for the character
// with id 1 and strike the first party member beside the cell they reach, looking right, left, below
// and above: a member on a corner of id 1's cell is struck by one that reaches the cell above or below
// id 1. So id 1 stays put and the others take its corners; without id 1 on the field, they stand beside
// the opponent who acts next (the first in the list).
std::vector<GridPos> yieldGoals(const Character& mover, const std::vector<Character>& units);

class AutoPlayer {
 public:
  // `weaponRange` gives an item's attack range; `partyFor` the party of a battle number.
  AutoPlayer(Style style, std::function<int(int item)> weaponRange, std::function<Party(int battle)> partyFor)
      : style_(style), weaponRange_(std::move(weaponRange)), partyFor_(std::move(partyFor)) {}

  // The keys to hold in the next frame, given the game as the last frame left it.
  KeySet nextKeys(const app::Game& game);

 private:
  enum class Plan { None, Move, Attack, End };

  KeySet titleKeys(const app::Game& game) const;
  KeySet selectionKeys(const app::Game& game) const;
  KeySet battleKeys(const app::Game& game);
  void planTurn(const Battle& battle);
  KeySet carryOut(const GameFlowState& flow, float button, BattleCommand command);

  Style style_;
  std::function<int(int)> weaponRange_;
  std::function<Party(int)> partyFor_;

  // The turn being played: whose, what for, and how long it has taken.
  int turnOf_ = 0;
  Plan plan_ = Plan::None;
  GridPos planCell_;
  bool moved_ = false;
  int turnFrames_ = 0;
};

}  // namespace varnholt::autoplay
