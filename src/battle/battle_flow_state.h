#pragma once
// The state the battle rules, the battle view and the battle screen share: the cursor and what it is for,
// the chosen battle command, the skill pick, the grid cursor, the move target, the message line and the
// party roster. The battle takes it by reference; the game's flow state (which screen runs, the party
// count, the background pictures) builds on it outside the battle. reset() puts every value back to its
// start value so each test begins from a known state.

#include <cstddef>
#include <iosfwd>
#include <type_traits>

#include "data/bounded_list.h"
#include "data/character.h"
#include "engine/sprite.h"

namespace varnholt {

using Roster = BoundedList<Character, 15>;

// The battle's flow values. Each keeps the number it has always had: the state file writes these
// numbers, so an enumerator is never renumbered.

// What the arrow keys and Enter work on, on the battle screen. None is left by the end of a turn, until
// the next turn opens the command bar.
enum class CursorMode : int { None = 0, Grid = 1, CommandBar = 2, SkillList = 3 };

// The order chosen on the command bar, carried out on the grid.
enum class BattleCommand : int { None = 0, Move = 1, Attack = 2, Skill = 3 };

// Enter in the skill list asks for the highlighted skill; the battle's skill highlight takes it and
// clears the request in the same frame.
enum class SkillPick : int { None = 0, TakeHighlighted = 10 };

template <typename T>
concept BattleFlowValue =
    std::is_same_v<T, CursorMode> || std::is_same_v<T, BattleCommand> || std::is_same_v<T, SkillPick>;

// The number a battle flow value has in the state file and in the replay runner's report.
template <BattleFlowValue Value>
constexpr int toNumber(Value value) {
  return static_cast<int>(value);
}

// Streams write the number, so reports and test messages show what the state file shows.
std::ostream& operator<<(std::ostream& out, CursorMode value);
std::ostream& operator<<(std::ostream& out, BattleCommand value);
std::ostream& operator<<(std::ostream& out, SkillPick value);

// The cursor on the command bar, where every battle order leaves it.
inline constexpr int kCommandBarCursorX = 0;
inline constexpr int kCommandBarCursorY = 515;

struct BattleFlowState {
  static constexpr std::size_t kMessageCapacity = 80;  // 79 characters and the terminator

  CursorMode cursorMode = CursorMode::Grid;
  BattleCommand battleCommand = BattleCommand::None;
  SkillPick skillPickRequest = SkillPick::None;
  int selectedSkill = 0;
  // The grid cursor's cell; the column indexes the occupancy layer first.
  int gridColumn = 1;
  int gridRow = 1;
  // Where the acting combatant's sprite walks after a move order, in pixels.
  int moveTargetX = 0;
  int moveTargetY = 0;
  char messageText[kMessageCapacity] = {};
  Roster roster;

  // The cursor of every screen; its position and current frame are the cursor position and frame.
  Sprite cursorSprite;

  BattleFlowState();

  // Every value back to its start value; the cursor sprite's frames are released.
  void reset();

  // Copies `text` into messageText, cut to 79 characters.
  void setMessage(const char* text);

  void setCursor(float x, float y, int frame);
  // The cursor on the command bar's first button with the command-bar frame (1).
  void cursorToCommandBar() { setCursor(kCommandBarCursorX, kCommandBarCursorY, 1); }
  float cursorX() const;
  float cursorY() const;
  int cursorFrame() const;
};

}  // namespace varnholt
