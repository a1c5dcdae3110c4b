#pragma once
// Shared set-up of the battle tests: a database over the tiny fixture files, a Battle wired to a
// recording presentation and outcome, and helpers to place combatants and change them in place.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "battle/battle.h"

namespace varnholt::testing {

// One line per presentation call; sprites are named by their place in the battle.
class RecordingPresentation : public BattlePresentation {
 public:
  explicit RecordingPresentation(Battle& battle) : battle_(battle) {}
  std::vector<std::string> calls;

  void createUnitSprite(Sprite&, const Character&) override {}
  void drawTurnLine(const char* name) override { calls.push_back(std::string("turn ") + name); }
  void drawStatusPanel(const Character& c, int x, int y) override {
    calls.push_back("panel " + std::to_string(c.id) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void drawMessage(const char* text) override { calls.push_back(std::string("message ") + text); }
  void drawSprite(Sprite& sprite) override {
    std::string name = &sprite == &battle_.swordSprite ? "sword" : &sprite == &battle_.hitSprite ? "hit" : "";
    if (&sprite == &battle_.flow().cursorSprite) name = "cursor";
    for (int i = 0; i < kUnitSpriteSlots; ++i)
      if (&sprite == &battle_.unitSprites[i]) name = "unit" + std::to_string(i);
    calls.push_back(name);
  }

 private:
  Battle& battle_;
};

class RecordingOutcome : public BattleOutcome {
 public:
  int defeats = 0;
  int victories = 0;
  std::function<void()> onVictory;
  void handleDefeat() override { ++defeats; }
  void handleVictory() override {
    ++victories;
    if (onVictory) onVictory();
  }
};

class BattleTest : public ::testing::Test {
 protected:
  BattleTest() : battle(database, flow, random), presentation(battle) {
    database.baseDirectory = "fixtures";
    battle.setPresentation(&presentation);
    battle.setOutcome(&outcome);
    battle.loadMap(1);  // 10 x 10
  }

  void add(int id, int column, int row, int side) {
    ASSERT_TRUE(battle.addCombatant(database.getCharacter(id), column, row, side));
  }

  // Rebuilds the list with `change` applied to one combatant (and to `acting` when it is that one),
  // or with that combatant moved to the front; the others keep their order.
  void edit(int id, const std::function<void(Character&)>& change, bool toFront = false) {
    UnitList rebuilt;
    if (toFront) rebuilt.add(unit(id));
    for (int i = 0; i < battle.units.count(); ++i) {
      Character c = battle.units.at(i);
      if (c.id == id && toFront) continue;
      if (c.id == id) change(c);
      rebuilt.add(c);
    }
    battle.units = rebuilt;
    if (battle.acting.id == id) change(battle.acting);
  }
  void moveToFront(int id) {
    edit(
        id, [](Character&) {}, true);
  }

  Character unit(int id) const {
    for (int i = 0; i < battle.units.count(); ++i)
      if (battle.units.at(i).id == id) return battle.units.at(i);
    return Character{};
  }

  std::vector<int> order() const {
    std::vector<int> ids;
    for (int i = 0; i < battle.units.count(); ++i) ids.push_back(battle.units.at(i).id);
    return ids;
  }

  // Starts a combatant's turn as the turn cycle does, without the speed walk.
  void actAs(int id) {
    battle.acting = unit(id);
    battle.moveCells.clear();
    battle.targetCells.clear();
    battle.fillMoveCells(battle.acting.column, battle.acting.row, battle.acting.moveRange);
    battle.fillTargetCells(battle.acting.column, battle.acting.row, battle.weaponRange(battle.acting));
    battle.state = kStateCommand;
  }

  static std::vector<int> flagsOf(const Character& c) {
    return {c.statusFlags[0], c.statusFlags[1], c.statusFlags[2], c.statusFlags[3]};
  }
  static std::vector<GridPos> cellsOf(const CellSet& cells) {
    std::vector<GridPos> out;
    for (int i = 0; i < cells.count(); ++i) out.push_back(cells.at(i));
    return out;
  }
  static bool holds(const CellSet& cells, GridPos cell) {
    for (const GridPos& c : cellsOf(cells))
      if (c == cell) return true;
    return false;
  }

  GameDatabase database;
  BattleFlowState flow;
  RandomGenerator random;
  Battle battle;
  RecordingPresentation presentation;
  RecordingOutcome outcome;
};

}  // namespace varnholt::testing
