#pragma once
// The decisions of the screens, free of the engine and of the game's globals so tests can call them
// directly: menu cursor steps and clamps, which roster entry the selection cursor is on, where a party
// member is placed, and the battle screen's cursor keys.

#include <optional>

#include "battle/skill_list.h"
#include "data/bounded_list.h"
#include "data/map_record.h"
#include "data/random.h"
#include "flow/game_flow_state.h"

namespace varnholt {

// Title menu: the two entries' cursor positions.
inline constexpr float kTitleBeginY = 100;
inline constexpr float kTitleIntroY = 150;
inline constexpr float kTitleMenuX = 150;

// Selection screen: portraits of roster entries 0..7, the cursor 5 pixels left of each.
inline constexpr int kSelectionSlots = 8;
inline constexpr int kPortraitX0 = 50;
inline constexpr int kPortraitY = 100;
inline constexpr int kPortraitStep = 50;
inline constexpr float kSelectionCursorX0 = 45;
inline constexpr float kSelectionCursorLastX = 395;
inline constexpr float kSelectionCursorY = 100;

// Battle screen: the command bar and the skill list.
inline constexpr float kCommandBarStep = 100;
inline constexpr float kCommandBarLastX = 300;
inline constexpr float kSkillCursorX = kSkillListX - kSkillCursorOffsetX;      // 390: the first column
inline constexpr float kSkillCursorTop = kSkillListTop - kSkillCursorOffsetY;  // 390: the first line
inline constexpr float kSkillCursorBottom = 555;
inline constexpr float kSkillCursorStep = kSkillLineHeight;

// The title cursor after Up or Down: 50 pixels, kept between the two entries.
float titleCursorUp(float y);
float titleCursorDown(float y);

// The selection cursor after Left or Right: 50 pixels, kept between the first and the eighth portrait.
float selectionCursorLeft(float x);
float selectionCursorRight(float x);

// The roster entry whose portrait the cursor x stands at: k when x is exactly 45 + 50 k for a k below
// both 8 and the roster's count; nothing otherwise (a cursor left elsewhere by a battle key, or a roster
// that holds fewer characters).
std::optional<int> rosterIndexAtCursor(float x, int rosterCount);

// Draws a free cell for a party member: column = draw mod 10 + 1, then row = draw mod 10 + 1, again and
// again until the cell is free. A cell counts as free only when it also lies on the map. When no free
// cell on the map is left among columns and rows 1..10, nothing is drawn and nothing is returned.
std::optional<GridPos> placePartyMember(const MapRecord& map, RandomGenerator& random);
// Whether placePartyMember may take cell (column, row), which lies in columns and rows 1..10.
bool isPlacementCell(const MapRecord& map, int column, int row);

enum class ArrowKey { Right, Left, Up, Down };

// An arrow key on the battle screen, by cursor mode: the grid cursor moves a cell (its cell number and
// its pixel position together), the command bar a button (Up moves right, Down left), the skill list a
// line. Nothing in CursorMode::None.
void battleArrow(GameFlowState& flow, ArrowKey key);

// Keeps the cursor inside the current mode's range after a key: the grid cursor on columns and rows
// 1..10 (stepping the pixel position back with it), the command bar on x 0..300, the skill list on
// y 390..555 (a y below 385 goes to 390).
void clampBattleCursor(GameFlowState& flow);

// Backspace on the battle screen, in every mode: back to the command bar with no command.
void openCommandBar(GameFlowState& flow);

}  // namespace varnholt
