#pragma once
// The game's flow state: which screen runs, the party count and the images pictures pass through, on top
// of the flow state the battle shares (the cursor, the battle command, the message line, the roster).
// One instance lives for the whole run (the app owns it and hands its battle part to the battle);
// reset() puts every value back to its start value so each test begins from a known state.

#include <iosfwd>
#include <optional>

#include "battle/battle_flow_state.h"
#include "engine/bitmap.h"

namespace varnholt {

// Which screen the frame runs. Each keeps the number it has always had: the state file writes these
// numbers, so an enumerator is never renumbered. These four are the only screens there are.
enum class Screen : int { Title = 0, Splash = 1, Selection = 2, Battle = 3 };

// How many screens there are: their numbers run from 0 to kScreenCount - 1.
inline constexpr int kScreenCount = 4;
static_assert(static_cast<int>(Screen::Battle) + 1 == kScreenCount, "kScreenCount counts every screen");

// The number a screen has in the state file and in the replay runner's report.
constexpr int toNumber(Screen screen) {
  return static_cast<int>(screen);
}

// The screen with `number`; none for a number no screen has.
constexpr std::optional<Screen> screenFromNumber(int number) {
  if (number < 0 || number >= kScreenCount) return std::nullopt;
  return static_cast<Screen>(number);
}

// Streams write the number, so reports and test messages show what the state file shows.
std::ostream& operator<<(std::ostream& out, Screen value);

struct GameFlowState : BattleFlowState {
  static constexpr int partySize = 5;

  Screen screenState = Screen::Title;
  int partyCount = 0;

  // The picture objects beside the engine's one loading station (bitmapFile): the full-screen
  // background every frame starts from, and the image every small picture passes through.
  BitmapImage backgroundImage;
  BitmapImage scratchImage;

  // Every value back to its start value; owned pictures and sprite frames are released.
  void reset();
};

}  // namespace varnholt
