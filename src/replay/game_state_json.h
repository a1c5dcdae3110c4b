#pragma once
// The game's state as JSON, as the replay runner reports it after the last frame: the screen, the
// game-flow state, the battle with its combatants, cell sets and unit sprites, the roster, and how many
// random numbers were drawn.

#include <ostream>

#include "app/game.h"
#include "app/game_loop.h"

namespace varnholt::replay {

void writeGameState(std::ostream& out, const app::Game& game, const app::LoopResult& result);

}  // namespace varnholt::replay
