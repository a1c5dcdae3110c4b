#pragma once
// The Battle: the combatants of both sides, the map with its occupancy layer, the combatant whose turn it
// is with the cells it may move to and strike, the effect sprites, and the small state machine that
// drives the turn cycle. One Battle lives for the whole run and is refilled for every battle.
//
// The rules are spread over several files by theme (turn cycle, movement, combat, enemy turns, end of
// turn); this header is their common face.

#include <optional>

#include "battle/battle_flow_state.h"
#include "battle/battle_presentation.h"
#include "battle/skill_list.h"
#include "data/bounded_list.h"
#include "data/character.h"
#include "data/game_database.h"
#include "data/grid_geometry.h"
#include "data/map_record.h"
#include "data/random.h"
#include "engine/sprite.h"

namespace varnholt {

using UnitList = BoundedList<Character, 25>;
using CellSet = BoundedList<GridPos, 50>;

// Battle states.
inline constexpr int kStateChoosing = 1;
inline constexpr int kStateCommand = 2;
inline constexpr int kStateEnemyMove = 4;
inline constexpr int kStateTurnOver = 5;
inline constexpr int kStateAttackEffect = 6;

// The side of the player's combatants; every other value is the computer's side.
inline constexpr int kPlayerSide = 1;

// The running speed total at which the turn cycle chooses a combatant to act.
inline constexpr int kTurnSpeed = 100;

// One unit sprite per combatant: a battle holds at most this many combatants.
inline constexpr int kUnitSpriteSlots = 13;

// Ranges above this are treated as this, so that the fills (which grow as 4 to the range) always end.
inline constexpr int kMaxFillRange = 10;

// How an end of turn left the battle.
enum class TurnEnd { Continues, Defeat, Victory };

// What a skill did once it reached a target.
enum class SkillEffect {
  None,       // empty cell, unknown target or too little SP: the turn goes on
  TurnEnded,  // the skill took effect and the turn ended
  Victory,    // ... and that end of turn handed over to the victory handling
};

class Battle {
 public:
  Battle(GameDatabase& database, BattleFlowState& flow, RandomGenerator& random);
  Battle(const Battle&) = delete;
  Battle& operator=(const Battle&) = delete;

  // Wiring; a null pointer puts back the stand-in that does nothing.
  void setPresentation(BattlePresentation* presentation);
  void setOutcome(BattleOutcome* outcome);

  // Everything back to the construction values (sprites, map and lists emptied).
  void reset();

  // --- battle state and turn cycle ---
  void loadMap(int mapId);
  // The map of a battle that could not be read: no cells, every layer entry 0.
  void loadEmptyMap();
  // Brings a character into the battle on the given cell and side. Refuses (false) a cell outside columns
  // and rows 1 to 25 (the occupancy layer) and a combatant beyond the last unit sprite slot.
  bool addCombatant(Character character, int column, int row, int side);
  void step();
  void drawOverlay();
  Character combatantAt(int column, int row);
  bool cellIsFree(int column, int row) const;

  // --- movement ---
  void fillMoveCells(int column, int row, int range);
  void fillTargetCells(int column, int row, int range);
  // False, changing nothing, when the cell is not in moveCells.
  bool moveActing(int column, int row);
  // One step of the acting combatant's sprite towards the pixel target.
  void walkStep(int targetX, int targetY);

  // --- attacks and skills ---
  // False, changing nothing, when the cell is not in targetCells; otherwise the attack effect starts.
  bool attack(int column, int row);
  void resolveAttack(int targetId);
  // False when the cell is not an allowed target (only the cells the command marked stay marked).
  bool useSkill(int column, int row, int skillId);
  SkillEffect applySkill(int skillId, int targetId);

  // --- the skill list ---
  // Lays out the acting combatant's skill list, looking each skill up once in list order, and applies the
  // highlight of the line under the cursor: the cells within that skill's range around the acting
  // combatant become the target cells, and a pick request takes it as the selected skill. The request is
  // cleared whether or not a skill was taken. Draws nothing: the view draws the list it returns.
  SkillList highlightSkill();

  // --- the computer's turn ---
  // Chooses the destination and starts the move and the walk (no move without a destination).
  void enemyMove();
  // The cell an enemy moves to; empty when it has nowhere to go.
  std::optional<GridPos> chooseEnemyDestination();

  // --- end of turn ---
  // A decided battle has been handed to the outcome before this returns.
  TurnEnd endTurn();

  // The occupancy value of a cell; 0 for an index outside the 26 x 26 layer.
  int occupancy(int column, int row) const;
  // The attack range of a combatant's weapon.
  int weaponRange(const Character& combatant);
  // The unit sprite of a combatant, or null when its slot is not a sprite slot.
  Sprite* unitSpriteOf(const Character& combatant);

  GameDatabase& database() { return database_; }
  BattleFlowState& flow() { return flow_; }
  RandomGenerator& random() { return random_; }

  // The battle's fields, in the order the game keeps them.
  char actingName[16] = {};
  UnitList units;
  int battleNumber = 1;
  Sprite unitSprites[kUnitSpriteSlots];
  Sprite swordSprite;
  Sprite hitSprite;
  int spriteCount = 0;
  int effectFrame = 0;
  int effectSwapFrame = 30;
  int effectEndFrame = 60;
  int state = kStateChoosing;
  MapRecord map;
  Character acting;
  CellSet moveCells;
  CellSet targetCells;

  // 1 while the acting combatant's sprite walks to the move target.
  int unitWalking = 0;
  // 1 while the swing and hit effects are animated and drawn.
  int effectShowing = 0;

 private:
  void chooseNextCombatant();
  void commandPhase();
  void enemyStep();
  void attackEffectStep();
  void createUnitSprite(int id);
  void setSwingAnimation(int weapon);
  void finishWalk();
  // Writes a changed combatant back: removes the entry with its id and appends the copy.
  void writeBack(const Character& combatant);
  // The same for the working copy of the acting combatant, as long as it is still in the battle: one
  // removed by defeat, or left over from a battle since replaced, is never brought back.
  void writeBackActing();
  void setOccupancy(int column, int row, int id);

  GameDatabase& database_;
  BattleFlowState& flow_;
  RandomGenerator& random_;
  NoPresentation noPresentation_;
  NoOutcome noOutcome_;
  BattlePresentation* presentation_ = &noPresentation_;
  BattleOutcome* outcome_ = &noOutcome_;
};

// --- decisions, free of the Battle so tests can call them on their own grids and lists ---

// The occupancy value of a cell of the map; 0 for every cell outside the map's size (a smaller map leaves
// stale ids in the layer beyond it) and outside the layer.
int occupancyInsideMap(const MapRecord& map, int column, int row);

// Every cell reachable from (column, row) in at most `range` steps through cells that are free or hold
// `actingId`, added in the order of the plain recursion (right, left, below, above), refreshing a cell on
// every revisit.
void fillReachableCells(CellSet& cells, const MapRecord& map, int actingId, int column, int row, int range);
// Every cell of the map within `range` steps of (column, row), occupied or not, in the same order.
void fillCellsInRange(CellSet& cells, const MapRecord& map, int column, int row, int range);

// The first cell of `moveCells` with a neighbour holding the combatant with id 1, else a random cell of
// it (one draw). Empty, without a draw, when `moveCells` is empty.
std::optional<GridPos> chooseEnemyDestination(CellSet& moveCells, const MapRecord& map,
                                              RandomGenerator& random);

}  // namespace varnholt
