// The auto-player's per-frame choice of keys.
#include "autoplay/auto_player.h"

#include "flow/screen_rules.h"

namespace varnholt::autoplay {
namespace {

// A turn that has not ended after this many frames is ended: a plan that cannot be carried out must not
// hold the battle for ever.
constexpr int kTurnFrameLimit = 120;

bool inBattle(const Battle& battle, int id) {
  for (int i = 0; i < battle.units.count(); ++i)
    if (battle.units.at(i).id == id) return true;
  return false;
}

}  // namespace

std::vector<GridPos> yieldGoals(const Character& mover, const std::vector<Character>& units) {
  const Character* anchor = nullptr;
  const Character* nextOpponent = nullptr;
  for (const Character& other : units) {
    if (other.id == 1) anchor = &other;
    if (!nextOpponent && other.side != kPlayerSide) nextOpponent = &other;
  }
  std::vector<GridPos> goals;
  auto besideNext = [&] {
    const GridPos at = cellOf(*nextOpponent);
    for (GridPos cell : {GridPos{at.column + 1, at.row}, GridPos{at.column - 1, at.row},
                         GridPos{at.column, at.row + 1}, GridPos{at.column, at.row - 1}})
      if (!anchor || cell != cellOf(*anchor)) goals.push_back(cell);
  };
  if (anchor && anchor->side == kPlayerSide) {
    // id 1 walks up to the opponent who acts next, which then stays beside it.
    if (anchor->id == mover.id) {
      if (nextOpponent) besideNext();
      return goals;
    }
    // An opponent already beside id 1 stays there: stand where it looks first.
    if (nextOpponent && cellDistance(cellOf(*nextOpponent), cellOf(*anchor)) == 1) {
      besideNext();
    } else {
      for (int dc : {1, -1})
        for (int dr : {1, -1}) goals.push_back({anchor->column + dc, anchor->row + dr});
    }
  } else if (nextOpponent) {
    besideNext();
  }
  return goals;
}

KeySet AutoPlayer::nextKeys(const app::Game& game) {
  switch (game.flow().screenState) {
    case Screen::Title:
      return titleKeys(game);
    case Screen::Splash:
      return 0;
    case Screen::Selection:
      return selectionKeys(game);
    case Screen::Battle:
      return battleKeys(game);
  }
  refuseUnknownScreen(game.flow().screenState);
}

KeySet AutoPlayer::titleKeys(const app::Game& game) const {
  return game.flow().cursorY() > kTitleBeginY ? app::KEY_UP : app::KEY_ENTER;
}

KeySet AutoPlayer::selectionKeys(const app::Game& game) const {
  const GameFlowState& flow = game.flow();
  const Battle& battle = game.battle();
  for (int id : partyFor_(battle.battleNumber)) {
    if (inBattle(battle, id)) continue;
    for (int k = 0; k < kSelectionSlots && k < flow.roster.count(); ++k)
      if (flow.roster.at(k).id == id) return selectionKeyToward(flow.cursorX(), k);
    return 0;
  }
  return 0;
}

KeySet AutoPlayer::battleKeys(const app::Game& game) {
  const Battle& battle = game.battle();
  const GameFlowState& flow = game.flow();
  // Only the player's own turns: during a computer's turn or an attack effect the command bar would act
  // for whoever is acting.
  if (battle.state != kStateCommand || battle.acting.side != kPlayerSide) {
    turnOf_ = 0;
    return 0;
  }
  if (turnOf_ != battle.acting.id) {
    turnOf_ = battle.acting.id;
    plan_ = Plan::None;
    moved_ = false;
    turnFrames_ = 0;
  }
  if (++turnFrames_ > kTurnFrameLimit) plan_ = Plan::End;
  if (plan_ == Plan::Move && cellOf(battle.acting) == planCell_) {
    moved_ = true;
    plan_ = Plan::None;
  }
  if (plan_ == Plan::None) planTurn(battle);

  switch (plan_) {
    case Plan::Move:
      return carryOut(flow, kMoveButtonX, BattleCommand::Move);
    case Plan::Attack:
      return carryOut(flow, kAttackButtonX, BattleCommand::Attack);
    default:
      return carryOut(flow, kEndTurnButtonX, BattleCommand::None);
  }
}

void AutoPlayer::planTurn(const Battle& battle) {
  const Character& actor = battle.acting;
  const std::vector<Character> units = copyOf(battle.units);
  if (!moved_ && style_ == Style::Yield) {
    if (auto cell = chooseApproachCell(actor, yieldGoals(actor, units), copyOf(battle.moveCells))) {
      plan_ = Plan::Move;
      planCell_ = *cell;
      return;
    }
  }
  if (!moved_ && style_ == Style::Fight) {
    if (auto cell = chooseMoveCell(actor, weaponRange_(actor.weapon()), units, copyOf(battle.moveCells))) {
      plan_ = Plan::Move;
      planCell_ = *cell;
      return;
    }
  }
  if (style_ == Style::Fight) {
    if (auto cell = chooseTarget(actor, units, copyOf(battle.targetCells))) {
      plan_ = Plan::Attack;
      planCell_ = *cell;
      return;
    }
  }
  plan_ = Plan::End;
}

KeySet AutoPlayer::carryOut(const GameFlowState& flow, float button, BattleCommand command) {
  if (command != BattleCommand::None && flow.battleCommand == command && flow.cursorMode == CursorMode::Grid)
    return gridKeyToward(flow.gridColumn, flow.gridRow, planCell_);
  if (flow.cursorMode != CursorMode::CommandBar) return app::KEY_BACKSPACE;
  return commandBarKeyToward(flow.cursorX(), button);
}

}  // namespace varnholt::autoplay
