// The game's flow state: its start values.

#include "flow/game_flow_state.h"

#include <ostream>

namespace varnholt {

std::ostream& operator<<(std::ostream& out, Screen value) {
  return out << toNumber(value);
}

void GameFlowState::reset() {
  BattleFlowState::reset();
  screenState = Screen::Title;
  partyCount = 0;
  backgroundImage = BitmapImage{};
  scratchImage = BitmapImage{};
}

}  // namespace varnholt
