// Clicks and taps as the game's keys: which target a click hits on each screen, the keys that lead there
// from several cursor positions, the driver showing one key per look and stopping when the game does not
// answer, the pointer's showing and hiding, and the hover outline drawn only on the picture passed on.
#include "shell/pointer_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_platform.h"

namespace varnholt::shell {
namespace {

using platform::DIK_BACK;
using platform::DIK_DOWN;
using platform::DIK_LEFT;
using platform::DIK_RETURN;
using platform::DIK_RIGHT;
using platform::DIK_UP;
using platform::PointerButton;
using platform::PointerEvent;
using Kind = PointerTarget::Kind;

PointerTarget cell(int column, int row) {
  return {Kind::Cell, 0, column, row};
}
PointerTarget of(Kind kind, int index) {
  return {kind, index};
}

PointerView title(float cursorY, bool introPage = false) {
  PointerView view;
  view.screen = Screen::Title;
  view.introPage = introPage;
  view.cursorX = 150;
  view.cursorY = cursorY;
  return view;
}

PointerView selection(float cursorX, int portraits = 8) {
  PointerView view;
  view.screen = Screen::Selection;
  view.cursorX = cursorX;
  view.cursorY = 100;
  view.portraits = portraits;
  return view;
}

PointerView battle(CursorMode mode, BattleCommand command, float cursorX = 0, float cursorY = 515) {
  PointerView view;
  view.screen = Screen::Battle;
  view.takesCommand = true;
  view.cursorMode = mode;
  view.battleCommand = command;
  view.cursorX = cursorX;
  view.cursorY = cursorY;
  view.skillLines = 3;
  return view;
}

PointerView grid(BattleCommand command, int column, int row) {
  PointerView view = battle(CursorMode::Grid, command);
  view.gridColumn = column;
  view.gridRow = row;
  return view;
}

PointerStep step(std::uint8_t code, bool last = false) {
  return {code, last};
}

// A click at (x, y) on `view` hits `want`; none: it does nothing.
struct Hit {
  PointerView view;
  int x = 0;
  int y = 0;
  std::optional<PointerTarget> want;
  const char* what = "";
};

TEST(PointerTargetTest, WhatAClickHitsOnEachScreenAndJustOutside) {
  const PointerView menu = title(100);
  const PointerView page = title(150, true);
  const PointerView party = selection(45);
  const PointerView moving = grid(BattleCommand::Move, 4, 4);
  const PointerView bar = battle(CursorMode::CommandBar, BattleCommand::None);
  const PointerView list = battle(CursorMode::SkillList, BattleCommand::Skill, 390, 390);
  PointerView busy = moving;
  busy.takesCommand = false;
  PointerView splash;
  splash.screen = Screen::Splash;
  PointerView begun = title(105);
  begun.cursorX = 5;
  const std::optional<PointerTarget> none;
  const Hit hits[] = {
      // The title's entries: the rows of the menu box with the arrow and the name, a gap between them.
      {menu, 250, 120, of(Kind::MenuEntry, 0), "Begin"},
      {menu, 148, 102, of(Kind::MenuEntry, 0), "Begin's corner"},
      {menu, 321, 193, of(Kind::MenuEntry, 1), "Intro's corner"},
      {menu, 250, 147, none, "between the entries"},
      {menu, 147, 120, none, "left of the menu"},
      {menu, 322, 170, none, "right of the menu"},
      {page, 700, 500, of(Kind::IntroPage, 0), "anywhere on an intro page"},
      {page, 250, 120, of(Kind::IntroPage, 0), "the menu behind a page"},
      {splash, 400, 300, none, "the splash"},
      {begun, 250, 120, none, "the battlefield shown as Begin's Enter is taken"},
      // Portraits by 50-pixel bands; the last shown keeps its full width.
      {party, 50, 100, of(Kind::Portrait, 0), "the first portrait's corner"},
      {party, 100, 155, of(Kind::Portrait, 1), "the overlap goes to the next portrait"},
      {party, 455, 120, of(Kind::Portrait, 7), "the last portrait's right edge"},
      {party, 456, 120, none, "right of the portraits"},
      {party, 49, 120, none, "left of the portraits"},
      {party, 200, 99, none, "above"},
      {party, 200, 156, none, "below"},
      {selection(45, 3), 205, 120, of(Kind::Portrait, 2), "the third of three"},
      {selection(45, 3), 206, 120, none, "no fourth"},
      // The grid's cells 1..10 while a command works on the grid.
      {moving, 15, 105, cell(1, 1), "cell (1, 1)"},
      {moving, 53, 143, cell(2, 2), "cell (2, 2)"},
      {moving, 394, 105, cell(10, 1), "column 10"},
      {moving, 15, 484, cell(1, 10), "row 10"},
      {moving, 394, 484, cell(10, 10), "cell (10, 10)"},
      {moving, 14, 200, none, "left of column 1"},
      {moving, 200, 104, none, "above row 1"},
      {moving, 395, 200, none, "column 11"},
      {moving, 200, 485, none, "row 11"},
      {grid(BattleCommand::Attack, 1, 1), 200, 200, cell(5, 3), "aiming an attack"},
      {grid(BattleCommand::None, 1, 1), 200, 200, none, "a cell with no command"},
      {bar, 200, 200, none, "a cell from the command bar"},
      // Buttons, from every mode.
      {bar, 0, 500, of(Kind::Button, 0), "the first button"},
      {bar, 355, 555, of(Kind::Button, 3), "the last button's corner"},
      {bar, 156, 530, none, "between two buttons"},
      {bar, 100, 556, none, "below the bar"},
      {moving, 220, 520, of(Kind::Button, 2), "a button from the grid"},
      // Skill lines while the list is drawn, as many as the skills.
      {list, 450, 400, of(Kind::SkillLine, 0), "the first line"},
      {list, 547, 414, of(Kind::SkillLine, 0), "the first line's last pixel"},
      {list, 450, 415, of(Kind::SkillLine, 1), "the second line"},
      {list, 450, 445, none, "three skills, three lines"},
      {list, 548, 400, none, "the second column"},
      {grid(BattleCommand::Skill, 2, 2), 450, 430, of(Kind::SkillLine, 2), "a line while aiming a skill"},
      {bar, 450, 400, none, "no list drawn"},
      // Nothing while the battle does not take a player's command (a walk, an effect, the computer's turn).
      {busy, 100, 200, none, "a cell"},
      {busy, 20, 520, none, "a button"},
  };
  for (const Hit& hit : hits) {
    EXPECT_EQ(targetAt(hit.view, hit.x, hit.y), hit.want) << hit.what << " at " << hit.x << ", " << hit.y;
  }
  EXPECT_EQ(secondaryTarget(bar), of(Kind::Back, 0));
  EXPECT_FALSE(secondaryTarget(busy));
  EXPECT_FALSE(secondaryTarget(menu));
}

// From `view`, the next key towards `target` is `want`; none: it cannot be reached from there.
struct Way {
  PointerView view;
  PointerTarget target;
  std::optional<PointerStep> want;
  const char* what = "";
};

TEST(PointerTargetTest, TheNextKeyTowardsATargetFromSeveralCursorPositions) {
  PointerView busy = grid(BattleCommand::Move, 3, 3);
  busy.takesCommand = false;
  PointerView fewSkills = battle(CursorMode::SkillList, BattleCommand::Skill, 390, 390);
  fewSkills.skillLines = 2;
  const std::optional<PointerStep> none;
  const PointerTarget line = of(Kind::SkillLine, 2);
  const Way ways[] = {
      {title(100), of(Kind::MenuEntry, 1), step(DIK_DOWN), "down to Intro"},
      {title(150), of(Kind::MenuEntry, 1), step(DIK_RETURN, true), "on Intro"},
      {title(150), of(Kind::MenuEntry, 0), step(DIK_UP), "up to Begin"},
      {title(150, true), of(Kind::IntroPage, 0), step(DIK_RETURN, true), "a page"},
      {title(150, true), of(Kind::MenuEntry, 0), none, "the menu waits behind the pages"},
      {selection(45), of(Kind::Portrait, 2), step(DIK_RIGHT), "right to a portrait"},
      {selection(145), of(Kind::Portrait, 2), step(DIK_RETURN, true), "on the portrait"},
      {selection(395), of(Kind::Portrait, 2), step(DIK_LEFT), "left to a portrait"},
      {selection(45, 2), of(Kind::Portrait, 2), none, "a portrait not shown"},
      // The grid: columns first, then rows, from corner to corner.
      {grid(BattleCommand::Move, 1, 1), cell(10, 10), step(DIK_RIGHT), "from (1, 1)"},
      {grid(BattleCommand::Move, 10, 1), cell(10, 10), step(DIK_DOWN), "from (10, 1)"},
      {grid(BattleCommand::Move, 10, 10), cell(10, 10), step(DIK_RETURN, true), "on (10, 10)"},
      {grid(BattleCommand::Attack, 10, 10), cell(1, 1), step(DIK_LEFT), "from (10, 10)"},
      {grid(BattleCommand::Attack, 1, 10), cell(1, 1), step(DIK_UP), "from (1, 10)"},
      {battle(CursorMode::CommandBar, BattleCommand::None), cell(1, 1), none, "a cell from the bar"},
      // Buttons: along the bar, or back to it first.
      {battle(CursorMode::CommandBar, BattleCommand::None, 0), of(Kind::Button, 2), step(DIK_RIGHT),
       "bar, right"},
      {battle(CursorMode::CommandBar, BattleCommand::None, 300), of(Kind::Button, 2), step(DIK_LEFT),
       "bar, left"},
      {battle(CursorMode::CommandBar, BattleCommand::None, 200), of(Kind::Button, 2), step(DIK_RETURN, true),
       "on the button"},
      {grid(BattleCommand::Move, 3, 3), of(Kind::Button, 0), step(DIK_BACK), "a button from the grid"},
      {battle(CursorMode::SkillList, BattleCommand::Skill, 390, 390), of(Kind::Button, 0), step(DIK_BACK),
       "a button from the list"},
      // Skill lines: in the open list, or back to the bar, the skill button, and open it.
      {battle(CursorMode::SkillList, BattleCommand::Skill, 390, 390), line, step(DIK_DOWN), "down the list"},
      {battle(CursorMode::SkillList, BattleCommand::Skill, 390, 420), line, step(DIK_RETURN, true), "on it"},
      {battle(CursorMode::SkillList, BattleCommand::Skill, 390, 555), line, step(DIK_UP), "up the list"},
      {grid(BattleCommand::Skill, 2, 2), line, step(DIK_BACK), "a line while aiming"},
      {battle(CursorMode::CommandBar, BattleCommand::None, 100), line, step(DIK_RIGHT),
       "to the skill button"},
      {battle(CursorMode::CommandBar, BattleCommand::None, 300), line, step(DIK_RETURN), "opening the list"},
      {fewSkills, line, none, "a line past the skills"},
      {grid(BattleCommand::Attack, 3, 3), of(Kind::Back, 0), step(DIK_BACK, true), "the right button"},
      {busy, cell(4, 4), none, "a cell during a walk"},
      {busy, of(Kind::Button, 1), none, "a button during a walk"},
      {busy, of(Kind::Back, 0), none, "the right button during a walk"},
  };
  for (const Way& way : ways) EXPECT_EQ(nextStep(way.view, way.target), way.want) << way.what;
}

TEST(PointerTargetTest, TheViewOfAGame) {
  // What the view reads from the game: a player's command phase with nothing walking.
  platform::HeadlessPlatform backend;
  app::Game game(backend);
  game.flow().screenState = Screen::Battle;
  game.flow().cursorMode = CursorMode::CommandBar;
  Battle& fight = game.battle();
  fight.state = kStateCommand;
  fight.acting.side = kPlayerSide;
  for (int id = 1; id <= 13; ++id) fight.acting.skills.add(id);
  const PointerView taking = readPointerView(game, 1);
  EXPECT_TRUE(taking.takesCommand);
  EXPECT_EQ(taking.skillLines, kReachableSkillLines) << "the cursor reaches eleven lines";
  fight.unitWalking = 1;
  EXPECT_FALSE(readPointerView(game, 1).takesCommand) << "during a walk";
  fight.unitWalking = 0;
  fight.effectShowing = 1;
  EXPECT_TRUE(readPointerView(game, 1).takesCommand) << "the effect flag a skill leaves up shows nothing";
  fight.state = kStateAttackEffect;
  EXPECT_FALSE(readPointerView(game, 1).takesCommand) << "during an attack's effect";
  fight.state = kStateCommand;
  fight.effectShowing = 0;
  fight.acting.side = 2;
  EXPECT_FALSE(readPointerView(game, 1).takesCommand) << "in the computer's turn";
  fight.acting.side = kPlayerSide;
  fight.state = kStateEnemyMove;
  EXPECT_FALSE(readPointerView(game, 1).takesCommand);
  fight.state = kStateCommand;
  game.flow().cursorMode = CursorMode::None;
  EXPECT_FALSE(readPointerView(game, 1).takesCommand) << "a turn just ended";

  game.flow().screenState = Screen::Title;
  EXPECT_FALSE(readPointerView(game, 1).introPage);
  EXPECT_TRUE(readPointerView(game, 2).introPage);
}

// What the grid does with an arrow key, for the sequence to be answered.
PointerView answer(PointerView view, std::uint8_t code) {
  if (code == DIK_RIGHT) ++view.gridColumn;
  if (code == DIK_LEFT) --view.gridColumn;
  if (code == DIK_DOWN) ++view.gridRow;
  if (code == DIK_UP) --view.gridRow;
  return view;
}

TEST(PointerKeySequenceTest, AKeyPerLookUntilEnterAndAStopWhenTheGameDoesNotAnswer) {
  PointerKeySequence sequence;
  sequence.start(cell(3, 2));
  PointerView view = grid(BattleCommand::Move, 1, 1);
  std::vector<std::uint8_t> keys;
  while (sequence.active()) {
    keys.push_back(sequence.next(view));
    view = answer(view, keys.back());
  }
  EXPECT_EQ(keys, (std::vector<std::uint8_t>{DIK_RIGHT, DIK_RIGHT, DIK_DOWN, DIK_RETURN}));

  // The first Right is not answered: the same view at the next look ends the keys there.
  sequence.start(cell(3, 2));
  view = grid(BattleCommand::Move, 1, 1);
  EXPECT_EQ(sequence.next(view), DIK_RIGHT);
  EXPECT_EQ(sequence.next(view), 0);
  EXPECT_FALSE(sequence.active());

  // A game that goes somewhere else than asked is followed only so far.
  sequence.start(cell(10, 1));
  int sent = 0;
  for (int look = 0; look < 100 && sequence.active(); ++look) {
    if (sequence.next(grid(BattleCommand::Move, 1 + look % 2, 1)) != 0) ++sent;
  }
  EXPECT_FALSE(sequence.active());
  EXPECT_EQ(sent, PointerKeySequence::kMaxKeys);

  // A target that cannot be reached from the view ends the keys at once.
  sequence.start(cell(3, 2));
  EXPECT_EQ(sequence.next(battle(CursorMode::CommandBar, BattleCommand::None)), 0);
  EXPECT_FALSE(sequence.active());
}

// The layer on the headless backend, over a game whose state the test sets as the game would.
struct Layer {
  platform::HeadlessPlatform backend;
  PointerKeys pointer{backend};
  app::Game game{pointer};
  std::uint8_t realKey = 0;

  Layer() {
    backend.setKeyboardHook([this](std::uint8_t(&state)[256]) {
      if (realKey != 0) state[realKey] = 0x80;
    });
    pointer.watch(&game);
  }
  // One keyboard read a frame's time after the one before; the codes it shows down.
  std::vector<int> read(std::uint32_t after = 20) {
    backend.advance(after);
    std::uint8_t state[256] = {};
    pointer.readKeyboard(state);
    std::vector<int> down;
    for (int code = 0; code < 256; ++code)
      if (state[code] != 0) down.push_back(code);
    return down;
  }
  void frame() { pointer.peekMessage(); }
  // A wait of the game's, as the intro pages and the held pictures make.
  void wait(std::uint32_t milliseconds) { pointer.waitUntil(backend.ticks() + milliseconds); }
  // A frame that reads the keyboard once, as the title, the party choice and the battle do.
  std::vector<int> look(std::uint32_t after = 20) {
    frame();
    return read(after);
  }
  void event(PointerEvent::Kind kind, int x, int y, PointerButton button = PointerButton::None,
             bool touch = false) {
    backend.queuePointerEvent({kind, button, touch, true, x, y, backend.ticks()});
  }
  void click(int x, int y, PointerButton button = PointerButton::Primary) {
    event(PointerEvent::Kind::Press, x, y, button);
  }
};

using Keys = std::vector<int>;

TEST(PointerKeysTest, TheTitleMenuAnsweredAndUnanswered) {
  Layer l;
  EXPECT_EQ(l.look(), Keys{}) << "the first look only starts the count";
  l.click(250, 170);
  EXPECT_EQ(l.look(), Keys{DIK_DOWN});
  l.game.flow().setCursor(150, 150, 2);  // the game answers
  EXPECT_EQ(l.look(), Keys{DIK_RETURN});
  EXPECT_TRUE(l.pointer.isKeyDown(platform::DirectKey::Return)) << "the test after the read sees its Enter";
  EXPECT_EQ(l.look(), Keys{});
  EXPECT_FALSE(l.pointer.isKeyDown(platform::DirectKey::Return));

  // Up is not answered (the cursor stays): the next look shows nothing.
  l.click(250, 120);
  EXPECT_EQ(l.look(), Keys{DIK_UP});
  EXPECT_EQ(l.look(), Keys{});
  EXPECT_FALSE(l.pointer.busy());

  // A click that hits nothing is never queued.
  l.click(600, 400);
  EXPECT_EQ(l.look(), Keys{});
}

TEST(PointerKeysTest, IntroPagesAreTheTitlesLaterReadsOfAFrame) {
  Layer l;
  l.frame();
  EXPECT_EQ(l.read(), Keys{});
  l.game.flow().setCursor(150, 150, 2);
  l.frame();
  l.click(600, 400);  // off the menu: nothing on the title's own read
  EXPECT_EQ(l.read(), Keys{});
  EXPECT_EQ(l.read(), Keys{}) << "the first page";
  l.click(600, 400);
  EXPECT_EQ(l.read(), Keys{DIK_RETURN}) << "anywhere on a page goes on";
  EXPECT_TRUE(l.pointer.isKeyDown(platform::DirectKey::Return));
  // The wait between two pages: a click made then is dropped.
  l.click(600, 400);
  l.wait(500);
  EXPECT_EQ(l.read(), Keys{});
  l.frame();
  l.click(600, 400);
  EXPECT_EQ(l.read(), Keys{}) << "a new frame's first read is the menu again";
}

TEST(PointerKeysTest, ClicksDuringAWaitAreDroppedAndTheKeyboardWins) {
  Layer l;
  l.game.flow().screenState = Screen::Selection;
  for (int id = 1; id <= 8; ++id) l.game.flow().roster.add(Character{});
  l.game.flow().setCursor(45, 100, 3);
  l.look();
  l.click(360, 120);  // portrait 6
  l.wait(PointerKeys::kLongWaitMs + 1);
  EXPECT_EQ(l.look(), Keys{}) << "the game was in a long wait";
  l.click(360, 120);
  EXPECT_EQ(l.look(PointerKeys::kLookGapMs + 1), Keys{}) << "the game was not being run at all";
  // A slow frame is not a wait: its click counts, and a click's keys go on across slow frames.
  l.click(360, 120);
  EXPECT_EQ(l.look(PointerKeys::kLongWaitMs * 2), Keys{DIK_RIGHT});
  l.game.flow().setCursor(95, 100, 3);
  EXPECT_EQ(l.look(PointerKeys::kLongWaitMs * 2), Keys{DIK_RIGHT});
  l.game.flow().setCursor(45, 100, 3);
  l.look();

  l.click(360, 120);
  EXPECT_EQ(l.look(), Keys{DIK_RIGHT});
  l.game.flow().setCursor(95, 100, 3);
  EXPECT_EQ(l.look(), Keys{DIK_RIGHT});
  l.game.flow().setCursor(145, 100, 3);
  l.realKey = DIK_LEFT;
  EXPECT_EQ(l.look(), Keys{DIK_LEFT}) << "a real key goes through alone and ends the click's keys";
  l.realKey = 0;
  l.game.flow().setCursor(95, 100, 3);
  EXPECT_EQ(l.look(), Keys{});

  // A new click replaces the one under way.
  l.click(360, 120);
  EXPECT_EQ(l.look(), Keys{DIK_RIGHT});
  l.game.flow().setCursor(145, 100, 3);
  l.click(60, 120);
  EXPECT_EQ(l.look(), Keys{DIK_LEFT});
  l.game.flow().setCursor(95, 100, 3);
  EXPECT_EQ(l.look(), Keys{DIK_LEFT});
  l.game.flow().setCursor(45, 100, 3);
  EXPECT_EQ(l.look(), Keys{DIK_RETURN});

  // Switched off: clicks are taken and dropped; no game: the same.
  l.pointer.setEnabled(false);
  l.click(360, 120);
  EXPECT_EQ(l.look(), Keys{});
  l.pointer.setEnabled(true);
  l.pointer.watch(nullptr);
  l.look();
  l.click(360, 120);
  EXPECT_EQ(l.look(), Keys{});
}

TEST(PointerKeysTest, RightClickIsBackspaceInABattlesCommandPhase) {
  Layer l;
  l.game.flow().screenState = Screen::Battle;
  l.game.flow().cursorMode = CursorMode::Grid;
  l.game.flow().battleCommand = BattleCommand::Move;
  l.game.battle().state = kStateCommand;
  l.game.battle().acting.side = kPlayerSide;
  l.look();
  l.click(200, 200, PointerButton::Secondary);
  EXPECT_EQ(l.look(), Keys{DIK_BACK});
  l.game.battle().unitWalking = 1;
  l.click(200, 200, PointerButton::Secondary);
  EXPECT_EQ(l.look(), Keys{}) << "not while the acting combatant walks";
  l.click(200, 200);
  EXPECT_EQ(l.look(), Keys{});
}

TEST(PointerKeysTest, TheMousePointerShowsWhileItMovesAndTouchNeverShowsIt) {
  Layer l;
  l.frame();
  l.backend.hideMousePointer();
  l.event(PointerEvent::Kind::Move, 10, 10, PointerButton::None, true);
  l.frame();
  EXPECT_TRUE(l.backend.mousePointerHidden()) << "a finger does not show it";
  l.event(PointerEvent::Kind::Move, 10, 10);
  l.frame();
  EXPECT_FALSE(l.backend.mousePointerHidden());
  l.backend.advance(PointerKeys::kPointerHideMs - 1);
  l.frame();
  EXPECT_FALSE(l.backend.mousePointerHidden());
  l.backend.advance(1);
  l.frame();
  EXPECT_TRUE(l.backend.mousePointerHidden()) << "still for a while";

  l.event(PointerEvent::Kind::Move, 20, 20);
  l.frame();
  EXPECT_FALSE(l.backend.mousePointerHidden());
  l.realKey = DIK_DOWN;
  l.read();
  EXPECT_TRUE(l.backend.mousePointerHidden()) << "a key press hides it";
  l.realKey = 0;

  l.pointer.setEnabled(false);
  l.event(PointerEvent::Kind::Move, 30, 30);
  l.frame();
  EXPECT_TRUE(l.backend.mousePointerHidden()) << "switched off, the pointer stays hidden";
}

TEST(PointerKeysTest, TheHoverOutlineGoesOnTheCopyPassedOnWithItsChanges) {
  Layer l;
  l.game.flow().screenState = Screen::Selection;
  for (int id = 1; id <= 8; ++id) l.game.flow().roster.add(Character{});
  std::vector<std::uint8_t> pixels(800 * 600, 7);
  std::array<platform::PaletteEntry, 256> palette{};
  palette[9] = {250, 120, 10, 0};  // the entry nearest the outline's colour
  platform::Frame frame{pixels.data(), 800, 600, 800, palette.data(), nullptr, 0};
  const platform::FrameRect gameChange{0, 0, 10, 10};
  frame.changed = &gameChange;
  frame.changedCount = 1;

  // A wrapper below the layer that notes the changes each present passes on.
  struct Notes : app::PlatformDecorator {
    using PlatformDecorator::PlatformDecorator;
    bool present(const platform::Frame& f) override {
      changes.assign(f.changed, f.changed + f.changedCount);
      nullChanges = f.changed == nullptr;
      return PlatformDecorator::present(f);
    }
    std::vector<platform::FrameRect> changes;
    bool nullChanges = false;
  };
  Notes notes(l.backend);
  PointerKeys pointer(notes);
  pointer.watch(&l.game);
  const auto move = [&](int x, int y) {
    l.backend.queuePointerEvent(
        {PointerEvent::Kind::Move, PointerButton::None, false, true, x, y, l.backend.ticks()});
  };
  const auto at = [&](int x, int y) {
    return l.backend.lastFrame().pixels[static_cast<std::size_t>(y * 800 + x)];
  };

  move(160, 120);  // portrait 2: 56 x 56 at (150, 100)
  ASSERT_TRUE(pointer.present(frame));
  EXPECT_EQ(at(150, 100), 9);
  EXPECT_EQ(at(205, 155), 9);
  EXPECT_EQ(at(150, 130), 9);
  EXPECT_EQ(at(151, 101), 7) << "a thin line";
  EXPECT_EQ(at(206, 156), 7);
  EXPECT_EQ(pixels[100 * 800 + 150], 7) << "the game's picture is not drawn on";
  ASSERT_EQ(notes.changes.size(), 2u);
  EXPECT_EQ(notes.changes[1].left, 150);
  EXPECT_EQ(notes.changes[1].top, 100);
  EXPECT_EQ(notes.changes[1].right, 206);
  EXPECT_EQ(notes.changes[1].bottom, 156);

  // The game changes a pixel under the outline and one elsewhere; the pointer moves to portrait 3.
  pixels[100 * 800 + 160] = 3;
  pixels[5 * 800 + 5] = 4;
  move(210, 120);
  ASSERT_TRUE(pointer.present(frame));
  EXPECT_EQ(at(160, 100), 3) << "the old outline gives way to the game's pixels";
  EXPECT_EQ(at(5, 5), 4);
  EXPECT_EQ(at(200, 100), 9);
  EXPECT_EQ(at(150, 130), 7);
  ASSERT_EQ(notes.changes.size(), 3u) << "the game's change, the old outline and the new";
  EXPECT_EQ(notes.changes[1].left, 150);
  EXPECT_EQ(notes.changes[2].left, 200);

  // Off every target: the game's own picture, the old outline's box among the changes.
  move(600, 400);
  ASSERT_TRUE(pointer.present(frame));
  EXPECT_EQ(at(200, 100), 7);
  EXPECT_EQ(at(160, 100), 3);
  ASSERT_EQ(notes.changes.size(), 2u);
  EXPECT_EQ(notes.changes[1].left, 200);
  // Then nothing to outline: the frame passes as it came, and a frame without changes keeps none.
  frame.changed = nullptr;
  frame.changedCount = 0;
  ASSERT_TRUE(pointer.present(frame));
  EXPECT_TRUE(notes.nullChanges);
  move(160, 120);
  ASSERT_TRUE(pointer.present(frame));
  EXPECT_TRUE(notes.nullChanges);
  EXPECT_EQ(at(150, 100), 9);
}

}  // namespace
}  // namespace varnholt::shell
