#pragma once
// What the auto-player decides, free of the running game so tests can call it on hand-made situations:
// the key that walks a cursor one step toward where it should be, the opponent worth striking, and the
// cell worth moving to. Everything reads copies of the battle's lists and never touches the game.

#include <optional>
#include <vector>

#include "app/key_script.h"
#include "data/bounded_list.h"
#include "data/character.h"

namespace varnholt::autoplay {

using app::KeySet;

// The three command-bar buttons the auto-player uses, by the cursor x that presses them.
inline constexpr float kAttackButtonX = 0;
inline constexpr float kMoveButtonX = 100;
inline constexpr float kEndTurnButtonX = 200;

// One key: the arrow that brings the grid cursor a cell closer to `target` (columns first), or Enter
// when it already stands there.
KeySet gridKeyToward(int gridColumn, int gridRow, GridPos target);
// One key: Left or Right toward the button at `buttonX`, or Enter on it.
KeySet commandBarKeyToward(float cursorX, float buttonX);
// One key: Left or Right toward the portrait of roster entry `index`, or Enter on it.
KeySet selectionKeyToward(float cursorX, int index);

int cellDistance(GridPos a, GridPos b);
GridPos cellOf(const Character& combatant);

// How much a blow from `attacker` is worth against `target`: the damage it does (never more than the
// target's HP left) times the chance that it hits, with a bonus for a blow that can fell the target.
// Zero for a blow that cannot harm.
double blowValue(const Character& attacker, const Character& target);

// The opponent (side other than the attacker's) among `units` whose cell is in `cells`, worth the most
// blow value; ties go to the one standing earlier in the list. Nothing when no blow is worth anything.
std::optional<GridPos> chooseTarget(const Character& attacker, const std::vector<Character>& units,
                                    const std::vector<GridPos>& cells);

// Where to move before attacking: the cell of `moveCells` from which, with the weapon's `range`, the best
// blow can be struck; when no cell offers one, the cell closest to the nearest opponent. Ties keep the
// combatant where it is, then take the cell nearest to it. Nothing when staying put is as good.
std::optional<GridPos> chooseMoveCell(const Character& mover, int range, const std::vector<Character>& units,
                                      const std::vector<GridPos>& moveCells);

// The cell of `moveCells` nearest to any of `goals` (then nearest to the mover); nothing when staying put
// is as near.
std::optional<GridPos> chooseApproachCell(const Character& mover, const std::vector<GridPos>& goals,
                                          const std::vector<GridPos>& moveCells);

// The cells within `range` steps of `from` (the diamond a weapon reaches), clipped to columns and rows
// 1..10.
std::vector<GridPos> cellsInRange(GridPos from, int range);

template <typename T, int N>
std::vector<T> copyOf(const BoundedList<T, N>& list) {
  std::vector<T> out;
  out.reserve(static_cast<std::size_t>(list.count()));
  for (int i = 0; i < list.count(); ++i) out.push_back(list.at(i));
  return out;
}

}  // namespace varnholt::autoplay
