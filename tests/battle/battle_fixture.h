#pragma once
// Shared set-up of the battle tests: a database over the tiny fixture files, the game-flow state, the
// random generator, a Battle wired to a recording presentation and a recording outcome, and helpers to
// place combatants and adjust their statistics without disturbing the turn order.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "battle/battle.h"

namespace varnholt::testing {

// Records what the rules ask the presentation for, one line per call.
class RecordingPresentation : public BattlePresentation {
 public:
  explicit RecordingPresentation(Battle& battle) : battle_(battle) {}

  std::vector<std::string> calls;

  void createUnitSprite(Sprite&, const Character& combatant) override {
    calls.push_back("createUnitSprite " + std::to_string(combatant.id));
  }
  void drawTurnLine(const char* name) override { calls.push_back(std::string("turnLine ") + name); }
  void drawStatusPanel(const Character& combatant, int x, int y) override {
    calls.push_back("statusPanel " + std::to_string(combatant.id) + " " + std::to_string(x) + "," +
                    std::to_string(y));
  }
  void drawMessage(const char* text) override { calls.push_back(std::string("message '") + text + "'"); }
  void drawSprite(Sprite& sprite) override { calls.push_back("sprite " + nameOf(sprite)); }

  int count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : calls) n += c == call ? 1 : 0;
    return n;
  }

 private:
  std::string nameOf(const Sprite& sprite) const {
    if (&sprite == &battle_.swordSprite) return "sword";
    if (&sprite == &battle_.hitSprite) return "hit";
    if (&sprite == &battle_.flow().cursorSprite) return "cursor";
    for (int i = 0; i < kUnitSpriteSlots; ++i)
      if (&sprite == &battle_.unitSprites[i]) return "unit" + std::to_string(i);
    return "other";
  }
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
  }

  // A fresh 10 x 10 map (map 1 of the fixtures) with nobody on it.
  void useMap(int mapId = 1) { battle.loadMap(mapId); }

  // Brings character `id` of the fixtures into the battle.
  void add(int id, int column, int row, int side) {
    ASSERT_TRUE(battle.addCombatant(database.getCharacter(id), column, row, side));
  }

  // Changes a combatant in place, keeping its position in the turn order.
  void edit(int id, const std::function<void(Character&)>& change) {
    UnitList rebuilt;
    for (int i = 0; i < battle.units.count(); ++i) {
      Character c = battle.units.at(i);
      if (c.id == id) change(c);
      rebuilt.add(c);
    }
    battle.units = rebuilt;
    if (battle.acting.id == id) change(battle.acting);
  }

  // Puts a combatant first in the turn order, keeping the others' order.
  void moveToFront(int id) {
    UnitList rebuilt;
    rebuilt.add(unit(id));
    for (int i = 0; i < battle.units.count(); ++i)
      if (battle.units.at(i).id != id) rebuilt.add(battle.units.at(i));
    battle.units = rebuilt;
  }

  Character unit(int id) {
    for (int i = 0; i < battle.units.count(); ++i)
      if (battle.units.at(i).id == id) return battle.units.at(i);
    ADD_FAILURE() << "no combatant " << id;
    return Character{};
  }

  bool inBattle(int id) const {
    for (int i = 0; i < battle.units.count(); ++i)
      if (battle.units.at(i).id == id) return true;
    return false;
  }

  std::vector<int> order() const {
    std::vector<int> ids;
    for (int i = 0; i < battle.units.count(); ++i) ids.push_back(battle.units.at(i).id);
    return ids;
  }

  // Starts the turn of a combatant as the turn cycle does, without the speed walk.
  void actAs(int id) {
    battle.acting = unit(id);
    battle.moveCells.clear();
    battle.targetCells.clear();
    battle.fillMoveCells(battle.acting.column, battle.acting.row, battle.acting.moveRange);
    battle.fillTargetCells(battle.acting.column, battle.acting.row, battle.weaponRange(battle.acting));
    battle.state = kStateCommand;
  }

  static std::vector<GridPos> cellsOf(const CellSet& cells) {
    std::vector<GridPos> out;
    for (int i = 0; i < cells.count(); ++i) out.push_back(cells.at(i));
    return out;
  }

  static bool holds(const CellSet& cells, GridPos cell) {
    for (int i = 0; i < cells.count(); ++i)
      if (cells.at(i) == cell) return true;
    return false;
  }

  GameDatabase database;
  GameFlowState flow;
  RandomGenerator random;
  Battle battle;
  RecordingPresentation presentation;
  RecordingOutcome outcome;
};

}  // namespace varnholt::testing
