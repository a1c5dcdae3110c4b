#pragma once
// The state the game flow, the battle rules and the battle view share: which screen runs, the cursor and
// what it is for, the chosen battle command, the message line, the party roster and the images pictures
// pass through. One instance lives for the whole run (the app owns it); reset() puts every
// value back to its start value so each test begins from a known state.

#include <cstddef>

#include "data/bounded_list.h"
#include "data/character.h"
#include "engine/bitmap.h"
#include "engine/sprite.h"

namespace varnholt {

using Roster = BoundedList<Character, 15>;

// The cursor on the command bar, where every battle order leaves it.
inline constexpr int kCommandBarCursorX = 0;
inline constexpr int kCommandBarCursorY = 515;

struct GameFlowState {
  static constexpr int partySize = 5;
  static constexpr std::size_t kMessageCapacity = 80;  // 79 characters and the terminator

  // 0 title, 1 splash sequence, 2 party selection, anything else the battle screen.
  int screenState = 0;
  // Battle screen: 0 none, 1 grid cursor, 2 command bar, 3 skill list.
  int cursorMode = 1;
  // Battle screen: 0 none, 1 move, 2 attack, 3 skill.
  int battleCommand = 0;
  // 10 asks the skill list to take the highlighted skill; the skill list sets it back to 0.
  int skillPickRequest = 0;
  int selectedSkill = 0;
  // The grid cursor's cell; the column indexes the occupancy layer first.
  int gridColumn = 1;
  int gridRow = 1;
  // Where the acting combatant's sprite walks after a move order, in pixels.
  int moveTargetX = 0;
  int moveTargetY = 0;
  int partyCount = 0;
  char messageText[kMessageCapacity] = {};
  Roster roster;

  // The picture objects beside the engine's one loading station (bitmapFile): the full-screen
  // background every frame starts from, and the image every small picture passes through.
  BitmapImage backgroundImage;
  BitmapImage scratchImage;
  // The cursor of every screen; its position and current frame are the cursor position and frame.
  Sprite cursorSprite;

  GameFlowState();

  // Every value back to its start value; owned pictures and sprite frames are released.
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
