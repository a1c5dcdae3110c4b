#pragma once
// The two seams through which the battle rules reach the rest of the game: the presentation (everything
// the rules make visible) and the outcome (what follows a won or lost battle). The rules only call them;
// the battle view and the app implement them, and tests pass recording fakes.

namespace varnholt {

class Battle;
struct Character;
struct Sprite;

// What the battle rules draw, in the order the rules call it. The rules keep every sprite's state
// (position, frame, visibility, animation) themselves; the presentation only puts things on screen and
// loads the pictures of a new unit sprite.
class BattlePresentation {
 public:
  virtual ~BattlePresentation() = default;

  // Creates the unit sprite of a combatant entering the battle and loads its four facings from the
  // combatant's picture. The battle has already chosen the slot and places the sprite afterwards.
  virtual void createUnitSprite(Sprite& sprite, const Character& combatant) = 0;
  // The command phase's name line: the name at x 0 and "'s turn" at x 40, near the bottom of the screen.
  virtual void drawTurnLine(const char* name) = 0;
  // The status panel of a combatant with its top-left corner at (x, y).
  virtual void drawStatusPanel(const Character& combatant, int x, int y) = 0;
  // The message line at the top left of the battle screen.
  virtual void drawMessage(const char* text) = 0;
  // One sprite at its position and current frame; hidden sprites draw nothing.
  virtual void drawSprite(Sprite& sprite) = 0;
};

// The handling of a battle's end, decided at the end of a turn.
class BattleOutcome {
 public:
  virtual ~BattleOutcome() = default;
  // The player's side had no combatant left.
  virtual void handleDefeat() = 0;
  // The other side had no combatant left. May clear the battle and load the next one, or end the game.
  virtual void handleVictory() = 0;
};

// Stand-ins used until the app wires the real ones: they draw nothing and decide nothing.
class NoPresentation final : public BattlePresentation {
 public:
  void createUnitSprite(Sprite&, const Character&) override {}
  void drawTurnLine(const char*) override {}
  void drawStatusPanel(const Character&, int, int) override {}
  void drawMessage(const char*) override {}
  void drawSprite(Sprite&) override {}
};

class NoOutcome final : public BattleOutcome {
 public:
  void handleDefeat() override {}
  void handleVictory() override {}
};

}  // namespace varnholt
