// A session on the default campaign played with the mouse and a finger alone: the intro pages, the
// title's Begin, the party choice, and in the battle a move, an attack, a skill and a right click. The
// keys the game saw are recorded above the pointer layer; replayed headless without any pointer they
// lead to the same state through the same pictures, and the hover outlines the backend was shown never
// reach the pictures the game presented.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/key_recorder.h"
#include "platform/headless/headless_platform.h"
#include "replay/frame_capture.h"
#include "replay/game_state_json.h"
#include "replay/hash_lines.h"
#include "replay/replay_session.h"
#include "shell/pointer_keys.h"

namespace varnholt::shell {
namespace {

using platform::PointerButton;
using platform::PointerEvent;

// The session's frames: the player is done some 250 frames in, and the battle runs on a while.
constexpr int kSessionFrames = 400;

// Plays by clicking what it wants, at the presents of the game's pictures, as a player clicks on what
// the screen shows. A click waits until the one before has been carried out and a few pictures passed.
class ClickPlayer {
 public:
  enum class Phase {
    Intro,
    Pages,
    Begin,
    Party,
    Move,
    MoveCell,
    Attack,
    AttackCell,
    Skill,
    SkillLine,
    SkillCell,
    Back,
    Done
  };

  ClickPlayer(platform::HeadlessPlatform& backend, const app::Game& game, const PointerKeys& pointer)
      : backend_(backend), game_(game), pointer_(pointer) {}

  void beginFrame() { readsAtFrameStart_ = backend_.keyboardReads(); }
  void endFrame() {
    // The intro pages run within one frame of the title, each read until its Enter.
    if (readsInFrame() >= 5) introSeen_ = true;
  }
  void present();

  Phase phase() const { return phase_; }
  int clicks() const { return clicks_; }

 private:
  int readsInFrame() const { return static_cast<int>(backend_.keyboardReads() - readsAtFrameStart_); }
  bool ready() const { return !pointer_.busy() && sinceClick_ >= 3; }
  void click(int x, int y, PointerButton button = PointerButton::Primary) {
    const std::uint32_t now = backend_.ticks();
    backend_.queuePointerEvent({PointerEvent::Kind::Move, PointerButton::None, false, true, x, y, now});
    backend_.queuePointerEvent({PointerEvent::Kind::Press, button, false, true, x, y, now});
    backend_.queuePointerEvent({PointerEvent::Kind::Release, button, false, true, x, y, now});
    sinceClick_ = 0;
    ++clicks_;
  }
  void tap(int x, int y) {
    const std::uint32_t now = backend_.ticks();
    backend_.queuePointerEvent({PointerEvent::Kind::Press, PointerButton::Primary, true, true, x, y, now});
    backend_.queuePointerEvent({PointerEvent::Kind::Release, PointerButton::Primary, true, true, x, y, now});
    sinceClick_ = 0;
    ++clicks_;
  }
  void clickCell(const GridPos& cell) { click(cellBoxLeft(cell.column) + 19, cellBoxTop(cell.row) + 19); }
  // The cell of `cells` on the visible grid farthest from the grid cursor, preferring one that holds a
  // combatant of the other side when `foe` is set.
  std::optional<GridPos> pick(const CellSet& cells, bool foe) const;

  platform::HeadlessPlatform& backend_;
  const app::Game& game_;
  const PointerKeys& pointer_;
  std::uint64_t readsAtFrameStart_ = 0;
  bool introSeen_ = false;
  Phase phase_ = Phase::Intro;
  int sinceClick_ = 3;
  int clicks_ = 0;
  GridPos moveTarget_;
};

std::optional<GridPos> ClickPlayer::pick(const CellSet& cells, bool foe) const {
  const BattleFlowState& flow = game_.flow();
  std::optional<GridPos> best;
  int bestScore = -1;
  for (int i = 0; i < cells.count(); ++i) {
    const GridPos cell = cells.at(i);
    if (cell.column < 1 || cell.column > kGridCells || cell.row < 1 || cell.row > kGridCells) continue;
    const int id = game_.battle().map.occupancy[cell.column][cell.row];
    const bool holdsFoe = id != 0 && id != game_.battle().acting.id;
    int score = std::abs(cell.column - flow.gridColumn) + std::abs(cell.row - flow.gridRow);
    if (foe && holdsFoe) score += 100;
    if (score > bestScore) {
      best = cell;
      bestScore = score;
    }
  }
  return best;
}

void ClickPlayer::present() {
  ++sinceClick_;
  const PointerView view = readPointerView(game_, readsInFrame());
  const Battle& battle = game_.battle();
  const bool onBar = view.takesCommand && view.cursorMode == CursorMode::CommandBar;
  switch (phase_) {
    case Phase::Intro:
      if (view.screen == Screen::Title && !view.introPage && ready()) {
        click(250, 170);  // the second entry: Down, then Enter
        phase_ = Phase::Pages;
      }
      break;
    case Phase::Pages:
      // A tap on every picture of the pages; those that come while the game waits between pages are
      // dropped, so each page takes one.
      if (introSeen_) {
        phase_ = Phase::Begin;
      } else if (view.introPage && ready()) {
        tap(400, 300);
      }
      break;
    case Phase::Begin:
      if (view.screen == Screen::Selection) {
        phase_ = Phase::Party;
      } else if (view.screen == Screen::Title && !view.introPage && ready()) {
        click(240, 118);
      }
      break;
    case Phase::Party: {
      static constexpr int kOrder[GameFlowState::partySize] = {5, 7, 6, 4, 0};
      const int chosen = game_.flow().partyCount;
      if (view.screen == Screen::Battle) {
        phase_ = Phase::Move;
      } else if (view.screen == Screen::Selection && chosen < GameFlowState::partySize && ready()) {
        click(75 + 50 * kOrder[chosen], 130);
      }
      break;
    }
    case Phase::Move:
      if (view.takesCommand && view.cursorMode == CursorMode::Grid &&
          view.battleCommand == BattleCommand::Move) {
        phase_ = Phase::MoveCell;
      } else if (onBar && ready()) {
        click(128, 528);
      }
      break;
    case Phase::MoveCell:
      if (battle.unitWalking == 1) {
        phase_ = Phase::Attack;
      } else if (view.takesCommand && view.battleCommand == BattleCommand::Move && ready()) {
        if (auto cell = pick(battle.moveCells, false)) {
          moveTarget_ = *cell;
          clickCell(*cell);
        }
      }
      break;
    case Phase::Attack:
      if (view.takesCommand && view.cursorMode == CursorMode::Grid &&
          view.battleCommand == BattleCommand::Attack) {
        phase_ = Phase::AttackCell;
      } else if (onBar && ready()) {
        EXPECT_EQ(battle.acting.column, moveTarget_.column) << "the move went where it was clicked";
        EXPECT_EQ(battle.acting.row, moveTarget_.row);
        click(28, 528);
      }
      break;
    case Phase::AttackCell:
      if (battle.state == kStateAttackEffect) {
        phase_ = Phase::Skill;
      } else if (view.takesCommand && view.battleCommand == BattleCommand::Attack && ready()) {
        if (auto cell = pick(battle.targetCells, true)) clickCell(*cell);
      }
      break;
    case Phase::Skill:
      // The next turn of a player's combatant: the skill button opens its list.
      if (view.takesCommand && view.cursorMode == CursorMode::SkillList) {
        phase_ = Phase::SkillLine;
      } else if (onBar && ready()) {
        click(328, 528);
      }
      break;
    case Phase::SkillLine:
      if (view.takesCommand && view.cursorMode == CursorMode::Grid &&
          view.battleCommand == BattleCommand::Skill) {
        phase_ = Phase::SkillCell;
      } else if (view.takesCommand && view.cursorMode == CursorMode::SkillList && ready()) {
        click(470, 400 + 15 * std::min(1, view.skillLines - 1) + 6);
      }
      break;
    case Phase::SkillCell:
      if (view.battleCommand != BattleCommand::Skill || !view.takesCommand) {
        phase_ = Phase::Back;
      } else if (view.cursorMode == CursorMode::Grid && ready()) {
        // The skill's range as the list marked it; an empty cell in it uses nothing up.
        if (auto cell = pick(battle.targetCells, true)) clickCell(*cell);
      }
      break;
    case Phase::Back:
      // A command under way, taken back with the right button.
      if (view.takesCommand && view.battleCommand == BattleCommand::Move && ready()) {
        click(200, 300, PointerButton::Secondary);
        phase_ = Phase::Done;
      } else if (onBar && ready()) {
        click(128, 528);
      }
      break;
    case Phase::Done:
      break;
  }
}

TEST(PointerSessionTest, ClicksAloneReachTheBattleAndTheRecordingReplaysToTheSameStateAndPictures) {
  platform::HeadlessPlatform backend;
  PointerKeys pointer(backend);
  replay::FrameCapture above(pointer);
  above.setRecording(true, false);
  std::ostringstream recording;
  app::KeyRecorder recorder(above, recording);
  app::Game game(recorder);
  pointer.watch(&game);
  ClickPlayer player(backend, game, pointer);
  std::vector<std::uint64_t> shown;
  backend.setPresentHook([&](const platform::CapturedFrame& frame) {
    shown.push_back(platform::hashFrame(frame));
    player.present();
  });
  ASSERT_TRUE(game.gameInit()) << game.failure();

  app::FrameObserver observer;
  observer.beforeFrame = [&](int frame) {
    recorder.beginFrame(frame);
    above.beginFrame(frame);
    player.beginFrame();
  };
  observer.afterFrame = [&](int) { player.endFrame(); };
  const app::LoopResult result = app::runGameLoop(game, recorder, observer, kSessionFrames);
  recorder.finish();
  ASSERT_EQ(result.frames, kSessionFrames);
  EXPECT_EQ(player.phase(), ClickPlayer::Phase::Done) << "the player got through every step";
  EXPECT_EQ(game.flow().screenState, Screen::Battle);
  EXPECT_EQ(game.flow().partyCount, GameFlowState::partySize);
  EXPECT_GT(player.clicks(), 12);
  std::ostringstream state;
  replay::writeGameState(state, game, result);
  game.gameShutdown();

  // The recording holds keys only, and plays back headless to the same state through the same pictures.
  std::string error;
  const auto script = app::KeyScript::parse(recording.str(), error);
  ASSERT_TRUE(script) << error;
  platform::HeadlessPlatform replayBackend;
  replay::ReplaySettings settings;
  settings.frames = kSessionFrames;
  std::ostringstream log;
  replay::ReplaySession replayed(replayBackend, *script, settings, log, "test");
  ASSERT_TRUE(replayed.start()) << replayed.failure();
  replayed.run();
  EXPECT_EQ(replayed.stateJson(), state.str());
  EXPECT_EQ(replayed.hashLines(), replay::formatHashLines(above.presented()));
  replayed.shutdown();

  // The backend was shown the outline of what the mouse pointed at, on pictures of its own.
  ASSERT_EQ(shown.size(), above.presented().size());
  int outlined = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) outlined += shown[i] != above.presented()[i].hash ? 1 : 0;
  EXPECT_GT(outlined, 0);
  EXPECT_LT(outlined, static_cast<int>(shown.size()));
}

}  // namespace
}  // namespace varnholt::shell
