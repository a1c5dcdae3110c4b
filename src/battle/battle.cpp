// The Battle's construction, wiring and the operations that bring combatants in and look at the grid.

#include "battle/battle.h"

#include <cstring>

namespace varnholt {

namespace {

constexpr int kLayerSize = 26;

bool insideLayer(int column, int row) {
  return column >= 0 && column < kLayerSize && row >= 0 && row < kLayerSize;
}

// A cell a combatant can stand on somewhere in the layer: index 0 is never a cell.
bool insideGrid(int column, int row) {
  return column >= 1 && row >= 1 && insideLayer(column, row);
}

}  // namespace

Battle::Battle(GameDatabase& database, BattleFlowState& flow, RandomGenerator& random)
    : database_(database), flow_(flow), random_(random) {}

void Battle::setPresentation(BattlePresentation* presentation) {
  presentation_ = presentation ? presentation : &noPresentation_;
}

void Battle::setOutcome(BattleOutcome* outcome) {
  outcome_ = outcome ? outcome : &noOutcome_;
}

void Battle::reset() {
  std::memset(actingName, 0, sizeof actingName);
  units = UnitList{};
  battleNumber = 1;
  for (Sprite& sprite : unitSprites) sprite = Sprite{};
  swordSprite = Sprite{};
  hitSprite = Sprite{};
  spriteCount = 0;
  effectFrame = 0;
  effectSwapFrame = 30;
  effectEndFrame = 60;
  state = kStateChoosing;
  map = MapRecord{};
  map.clearLayers();
  acting = Character{};
  moveCells = CellSet{};
  targetCells = CellSet{};
  unitWalking = 0;
  effectShowing = 0;
}

void Battle::loadMap(int mapId) {
  map = database_.getMap(mapId);
}

void Battle::loadEmptyMap() {
  map = MapRecord{};
  map.clearLayers();
}

bool Battle::addCombatant(Character character, int column, int row, int side) {
  if (!insideGrid(column, row) || spriteCount >= kUnitSpriteSlots || spriteCount < 0) return false;
  character.computeDerived(database_);
  character.ap = 0;
  character.column = column;
  character.row = row;
  character.hp = character.maxHp;
  character.sp = character.maxSp;
  character.side = side;
  map.occupancy[column][row] = character.id;
  units.add(character);
  createUnitSprite(character.id);
  return true;
}

// Hands out the next unit sprite slot: the presentation creates the sprite and its frames, the battle
// places it on the combatant's cell and records the slot in the combatant's entry.
void Battle::createUnitSprite(int id) {
  const int index = units.findId(id);
  if (index < 0 || spriteCount < 0 || spriteCount >= kUnitSpriteSlots) return;
  Character combatant = units.at(index);
  combatant.spriteSlot = spriteCount;
  Sprite& sprite = unitSprites[spriteCount];
  presentation_->createUnitSprite(sprite, combatant);
  setSpritePosition(sprite, unitPixelX(combatant.column), unitPixelY(combatant.row));
  ++spriteCount;
  writeBack(combatant);
}

Character Battle::combatantAt(int column, int row) {
  const int id = occupancy(column, row);
  if (id == 0) return Character{};
  const int index = units.findId(id);
  if (index < 0) return Character{};
  return units.at(index);
}

bool Battle::cellIsFree(int column, int row) const {
  return insideGrid(column, row) && map.occupancy[column][row] == 0;
}

int Battle::occupancy(int column, int row) const {
  return insideLayer(column, row) ? map.occupancy[column][row] : 0;
}

int occupancyInsideMap(const MapRecord& map, int column, int row) {
  if (column < 1 || row < 1 || column > map.columns || row > map.rows || !insideLayer(column, row)) return 0;
  return map.occupancy[column][row];
}

void Battle::setOccupancy(int column, int row, int id) {
  if (insideLayer(column, row)) map.occupancy[column][row] = id;
}

int Battle::weaponRange(const Character& combatant) {
  return database_.getItem(combatant.weapon()).range;
}

Sprite* Battle::unitSpriteOf(const Character& combatant) {
  if (combatant.spriteSlot < 0 || combatant.spriteSlot >= kUnitSpriteSlots) return nullptr;
  return &unitSprites[combatant.spriteSlot];
}

void Battle::writeBack(const Character& combatant) {
  units.remove(combatant);
  units.add(combatant);
}

void Battle::writeBackActing() {
  if (units.findId(acting.id) >= 0) writeBack(acting);
}

}  // namespace varnholt
