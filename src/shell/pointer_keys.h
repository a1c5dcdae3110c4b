#pragma once
// Mouse clicks and touch taps as the game's own keys. PointerKeys sits just below the game (above the key
// mode, below the kept keys and the recorders), so a recording holds exactly the keys the game saw and
// replays without a pointer. The game never learns of the pointer: a click on something the player sees
// (a title entry, an intro page, a portrait, a command button, a grid cell, a skill line) becomes the keys
// a keyboard player would press to get there, one key per keyboard read, ending in Enter; a right click is
// Backspace in a battle.
//
// The translation is two pure steps over a small view of the game read at each look: which target a
// click at a pixel hits (targetAt), and which key brings the game one step nearer to it (nextStep). The
// keys are planned afresh from the view at every read, so the game's own rules decide every move; the
// sequence stops when the game does not answer a key (the view did not change), after kMaxKeys keys, on
// a real key press, when the game stops reading keys for a while, and when a click on another target
// replaces it (a click on nothing changes nothing). A key shown is the only key down in its read, and a
// direct test of Enter right after a read that showed Enter sees it down, as an intro page needs; the
// Escape and Space tests pass through untouched.
//
// The mouse pointer shows while the mouse moves and hides kPointerHideMs after it stopped, or at a key
// press; a finger never shows it.
//
// While the mouse pointer shows over a target a click would act on now, the target gets a thin outline
// in the picture passed on to the backend: drawn on a copy of the game's frame, never in its buffer, so
// whatever watches the frames above this layer (the replay's hashes) sees the game's own pictures.

#include <cstdint>
#include <optional>
#include <vector>

#include "app/game.h"
#include "app/platform_decorator.h"
#include "flow/game_flow_state.h"
#include "platform/platform.h"

namespace varnholt::shell {

// What a click's translation needs to know of the game, read at a look.
struct PointerView {
  Screen screen = Screen::Title;
  // The title screen's second and later keyboard reads in one frame: an intro page waiting for Enter.
  bool introPage = false;
  float cursorX = 0;
  float cursorY = 0;
  CursorMode cursorMode = CursorMode::None;
  BattleCommand battleCommand = BattleCommand::None;
  int gridColumn = 1;
  int gridRow = 1;
  // The battle waits for the command of a player's combatant and nothing walks.
  bool takesCommand = false;
  // Skill lines the list's cursor can reach (the acting combatant's skills, at most kReachableSkillLines).
  int skillLines = 0;
  // Portraits the party choice shows and offers (at most kSelectionSlots).
  int portraits = 0;
  bool operator==(const PointerView&) const = default;
};

// The skill list's cursor reaches the lines of its first column only.
inline constexpr int kReachableSkillLines = 11;

// The view of `game` at a keyboard read that is the `readsInFrame`-th read since the frame began.
PointerView readPointerView(const app::Game& game, int readsInFrame);

// Something a click acts on.
struct PointerTarget {
  enum class Kind : std::uint8_t { MenuEntry, IntroPage, Portrait, Button, Cell, SkillLine, Back };
  Kind kind = Kind::IntroPage;
  int index = 0;   // the menu entry, portrait, command button or skill line, from 0
  int column = 0;  // the cell, from 1
  int row = 0;
  bool operator==(const PointerTarget&) const = default;
};

// The target a primary click (or a tap) at frame pixel (x, y) hits in `view`; none where a click does
// nothing now (outside every target, on the splash, while a battle does not take a player's command).
std::optional<PointerTarget> targetAt(const PointerView& view, int x, int y);
// The target of a secondary click: Backspace while a battle takes a player's command.
std::optional<PointerTarget> secondaryTarget(const PointerView& view);
// The box a hovered target's outline goes round; none for targets without a place of their own (an intro
// page, Backspace).
std::optional<platform::FrameRect> targetBox(const PointerTarget& target);

// The key that brings the game one step nearer to a target, and whether it is the last one.
struct PointerStep {
  std::uint8_t key = 0;  // DirectInput key code
  bool last = false;
  bool operator==(const PointerStep&) const = default;
};

// The next key towards `target` from `view`; none when the target cannot be reached from here.
std::optional<PointerStep> nextStep(const PointerView& view, const PointerTarget& target);

// The keys of one click, a key per look. A key that is not the last must change the view by the next
// look; if it did not, the game did not answer and the sequence stops.
class PointerKeySequence {
 public:
  // A click needs at most 19 keys (the grid from corner to corner and Enter); more means it went astray.
  static constexpr int kMaxKeys = 32;

  void start(const PointerTarget& target);
  void stop();
  bool active() const { return target_.has_value(); }
  const std::optional<PointerTarget>& target() const { return target_; }

  // The key this look shows, planned from `view`; 0 (and the sequence stops) when there is none.
  std::uint8_t next(const PointerView& view);

 private:
  std::optional<PointerTarget> target_;
  std::optional<PointerView> sent_;  // the view when the previous key went, if it was not the last
  int keys_ = 0;
};

class PointerKeys : public app::PlatformDecorator {
 public:
  // A wait of the game longer than this is one in which it does not read keys (an intro page's pause, a
  // held picture): a click pressed before such a wait ends is dropped, and a click's keys under way stop.
  static constexpr std::uint32_t kLongWaitMs = 250;
  // A look coming longer than this after the one before, with no wait of the game's between them, means
  // the game was not being run meanwhile (a dialog, a fast-forward): the clicks of that time are dropped.
  // A slow frame, however slow the machine, is far shorter.
  static constexpr std::uint32_t kLookGapMs = 1000;
  // The mouse pointer hides this long after it last moved.
  static constexpr std::uint32_t kPointerHideMs = 3000;
  // The outline of a hovered target is drawn in the palette entry nearest to this colour.
  static constexpr platform::PaletteEntry kOutlineColour{255, 128, 0, 0};

  using PlatformDecorator::PlatformDecorator;

  // The game whose state the clicks are translated against; null: none, and pointer events are taken and
  // dropped. A new game starts afresh: its first keyboard read takes no click.
  void watch(const app::Game* game);
  // Off: pointer events are taken and dropped and the pointer stays hidden. On by default.
  void setEnabled(bool enabled);
  bool enabled() const { return enabled_; }
  // Whether a click's keys are still being shown to the game.
  bool busy() const { return sequence_.active(); }

  void hideMousePointer() override;
  platform::Message peekMessage() override;
  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(platform::DirectKey key) override;
  bool present(const platform::Frame& frame) override;
  void waitUntil(std::uint32_t deadline) override;

 private:
  struct Click {
    platform::PointerButton button = platform::PointerButton::Primary;
    int x = 0;
    int y = 0;
  };
  // Takes the backend's pointer events: motion shows the pointer, a press becomes the pending click.
  void takeEvents();
  void showPointer(bool shown);
  void forget();
  // The outline box of the target under the mouse pointer now, if it shows over one.
  std::optional<platform::FrameRect> hoverBox();

  const app::Game* game_ = nullptr;
  bool enabled_ = true;
  std::vector<platform::PointerEvent> events_;
  std::optional<Click> pending_;
  PointerKeySequence sequence_;
  int readsInFrame_ = 0;
  std::optional<std::uint32_t> lastLook_;
  std::optional<std::uint32_t> deafUntil_;  // when the latest long wait ended
  bool waitedLong_ = false;                 // a long wait came since the latest look
  bool enterInRead_ = false;                // the latest read showed an injected Enter

  bool pointerShown_ = false;
  std::uint32_t lastMotion_ = 0;
  bool mouseInside_ = false;
  int mouseX_ = 0;
  int mouseY_ = 0;

  // The picture passed on while an outline shows: the game's frame with the outline drawn over it.
  std::vector<std::uint8_t> composed_;
  int composedWidth_ = 0;
  int composedHeight_ = 0;
  bool composedCurrent_ = false;                 // composed_ holds the last frame passed on
  std::optional<platform::FrameRect> shownBox_;  // the outline in the last frame passed on
  std::vector<platform::FrameRect> changed_;
};

}  // namespace varnholt::shell
