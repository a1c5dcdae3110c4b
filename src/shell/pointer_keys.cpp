// Clicks and taps turned into the keys a keyboard player would press, and the outline of the target under
// the mouse pointer.
#include "shell/pointer_keys.h"

#include <algorithm>
#include <cstring>

#include "data/campaign_pictures.h"
#include "data/grid_geometry.h"
#include "flow/screen_rules.h"
#include "shell/shell_dialog.h"

namespace varnholt::shell {
namespace {

using platform::FrameRect;
using Kind = PointerTarget::Kind;

// The title's entries as the player sees them: the row of the menu box holding the cursor's arrow and the
// entry's name, from a little left of the cursor to the box's right edge, 42 pixels tall.
constexpr int kMenuEntryLeft = static_cast<int>(kTitleMenuX) - 2;
constexpr int kMenuEntryRight = 322;
constexpr int kMenuEntryTop = static_cast<int>(kTitleBeginY) + 2;
constexpr int kMenuEntryHeight = 42;
constexpr int kMenuEntryStep = 50;
constexpr int kMenuEntries = 2;

// Party choice: portraits of 56 x 56 pixels, 50 apart, so each overlaps the next; a click hits the
// portrait whose 50-pixel band it falls in, the last shown portrait keeping its full width.
constexpr int kPortraitSide = 56;

// Battle: the command bar's buttons and the skill list's lines.
constexpr int kButtonTop = 500;
constexpr int kSkillLineLeft = kSkillListX - 4;
constexpr int kSkillLineRight = kSkillListSecondX - 2;

bool contains(const FrameRect& box, int x, int y) {
  return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

FrameRect menuEntryBox(int entry) {
  const int top = kMenuEntryTop + kMenuEntryStep * entry;
  return {kMenuEntryLeft, top, kMenuEntryRight, top + kMenuEntryHeight};
}

FrameRect portraitBox(int k) {
  const int left = kPortraitX0 + kPortraitStep * k;
  return {left, kPortraitY, left + kPortraitSide, kPortraitY + kPortraitSide};
}

FrameRect buttonBox(int i) {
  const int left = static_cast<int>(kCommandBarStep) * i;
  return {left, kButtonTop, left + pictures::buttons::kCellWidth,
          kButtonTop + pictures::buttons::kCellHeight};
}

FrameRect cellBox(int column, int row) {
  return {cellBoxLeft(column), cellBoxTop(row), cellBoxLeft(column) + kCellPixels,
          cellBoxTop(row) + kCellPixels};
}

// A line's text stands at (450, 400 + 15 i), its letters from 2 pixels below that to the descenders 14
// below. A click hits the line's 15 pixels; its outline goes round them and the row under the descenders.
FrameRect skillLineBox(int line) {
  const int top = kSkillListTop + kSkillLineHeight * line;
  return {kSkillLineLeft, top, kSkillLineRight, top + kSkillLineHeight};
}
FrameRect skillLineOutline(int line) {
  FrameRect box = skillLineBox(line);
  box.bottom += 1;
  return box;
}

// The cell (1..10 each way) whose box holds the pixel; none off the grid.
std::optional<GridPos> cellAt(int x, int y) {
  const int dx = x - cellBoxLeft(1);
  const int dy = y - cellBoxTop(1);
  if (dx < 0 || dy < 0) return std::nullopt;
  const int column = dx / kCellPixels + 1;
  const int row = dy / kCellPixels + 1;
  if (column > kGridCells || row > kGridCells) return std::nullopt;
  return GridPos{column, row};
}

PointerStep key(std::uint8_t code, bool last = false) {
  return {code, last};
}

// Towards a cursor coordinate along one axis: `less` while the cursor is short of it, `more` past it.
std::optional<PointerStep> towards(float cursor, float wanted, std::uint8_t less, std::uint8_t more) {
  if (cursor < wanted) return key(less);
  if (cursor > wanted) return key(more);
  return std::nullopt;
}

// On the command bar: to button `i`, then Enter (the last key when `last`).
PointerStep onCommandBar(const PointerView& view, int i, bool last) {
  const float x = kCommandBarStep * static_cast<float>(i);
  if (auto step = towards(view.cursorX, x, platform::DIK_RIGHT, platform::DIK_LEFT)) return *step;
  return key(platform::DIK_RETURN, last);
}

}  // namespace

PointerView readPointerView(const app::Game& game, int readsInFrame) {
  const GameFlowState& flow = game.flow();
  const Battle& battle = game.battle();
  PointerView view;
  view.screen = flow.screenState;
  view.introPage = flow.screenState == Screen::Title && readsInFrame >= 2;
  view.cursorX = flow.cursorX();
  view.cursorY = flow.cursorY();
  view.cursorMode = flow.cursorMode;
  view.battleCommand = flow.battleCommand;
  view.gridColumn = flow.gridColumn;
  view.gridRow = flow.gridRow;
  // An attack's effect runs in a state of its own. The effect flag is not looked at: a skill raises it
  // and only the end of an attack's effect lowers it, so after a skill it stays up, with nothing shown,
  // through every command phase until the next attack has run its course.
  view.takesCommand = flow.screenState == Screen::Battle && battle.state == kStateCommand &&
                      battle.acting.side == kPlayerSide && battle.unitWalking == 0 &&
                      flow.cursorMode != CursorMode::None;
  view.skillLines = std::clamp(battle.acting.skills.count(), 0, kReachableSkillLines);
  view.portraits = std::clamp(flow.roster.count(), 0, kSelectionSlots);
  return view;
}

std::optional<PointerTarget> targetAt(const PointerView& view, int x, int y) {
  switch (view.screen) {
    case Screen::Title:
      if (view.introPage) return PointerTarget{Kind::IntroPage};
      // The frame of Begin's Enter moves the cursor to the grid and shows the battlefield: no menu there.
      if (view.cursorX != kTitleMenuX) return std::nullopt;
      for (int entry = 0; entry < kMenuEntries; ++entry) {
        if (contains(menuEntryBox(entry), x, y)) return PointerTarget{Kind::MenuEntry, entry};
      }
      return std::nullopt;
    case Screen::Selection:
      for (int k = 0; k < view.portraits; ++k) {
        FrameRect band = portraitBox(k);
        if (k + 1 < view.portraits) band.right = band.left + kPortraitStep;
        if (contains(band, x, y)) return PointerTarget{Kind::Portrait, k};
      }
      return std::nullopt;
    case Screen::Battle:
      break;
    case Screen::Splash:
      return std::nullopt;
  }
  if (!view.takesCommand) return std::nullopt;
  for (int i = 0; i < pictures::buttons::kCount; ++i) {
    if (contains(buttonBox(i), x, y)) return PointerTarget{Kind::Button, i};
  }
  if (view.battleCommand == BattleCommand::Skill) {
    for (int line = 0; line < view.skillLines; ++line) {
      if (contains(skillLineBox(line), x, y)) return PointerTarget{Kind::SkillLine, line};
    }
  }
  if (view.cursorMode == CursorMode::Grid && view.battleCommand != BattleCommand::None) {
    if (auto cell = cellAt(x, y)) return PointerTarget{Kind::Cell, 0, cell->column, cell->row};
  }
  return std::nullopt;
}

std::optional<PointerTarget> secondaryTarget(const PointerView& view) {
  if (view.screen != Screen::Battle || !view.takesCommand) return std::nullopt;
  return PointerTarget{Kind::Back};
}

std::optional<FrameRect> targetBox(const PointerTarget& target) {
  switch (target.kind) {
    case Kind::MenuEntry:
      return menuEntryBox(target.index);
    case Kind::Portrait:
      return portraitBox(target.index);
    case Kind::Button:
      return buttonBox(target.index);
    case Kind::Cell:
      return cellBox(target.column, target.row);
    case Kind::SkillLine:
      return skillLineOutline(target.index);
    case Kind::IntroPage:
    case Kind::Back:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<PointerStep> nextStep(const PointerView& view, const PointerTarget& target) {
  switch (target.kind) {
    case Kind::MenuEntry: {
      if (view.screen != Screen::Title || view.introPage) return std::nullopt;
      const float y = kTitleBeginY + static_cast<float>(kMenuEntryStep * target.index);
      if (auto step = towards(view.cursorY, y, platform::DIK_DOWN, platform::DIK_UP)) return step;
      return key(platform::DIK_RETURN, true);
    }
    case Kind::IntroPage:
      if (view.screen != Screen::Title || !view.introPage) return std::nullopt;
      return key(platform::DIK_RETURN, true);
    case Kind::Portrait: {
      if (view.screen != Screen::Selection || target.index >= view.portraits) return std::nullopt;
      const float x = kSelectionCursorX0 + static_cast<float>(kPortraitStep * target.index);
      if (auto step = towards(view.cursorX, x, platform::DIK_RIGHT, platform::DIK_LEFT)) return step;
      return key(platform::DIK_RETURN, true);
    }
    default:
      break;
  }
  if (view.screen != Screen::Battle || !view.takesCommand) return std::nullopt;
  switch (target.kind) {
    case Kind::Back:
      return key(platform::DIK_BACK, true);
    case Kind::Button:
      if (view.cursorMode != CursorMode::CommandBar) return key(platform::DIK_BACK);
      return onCommandBar(view, target.index, true);
    case Kind::Cell: {
      if (view.cursorMode != CursorMode::Grid || view.battleCommand == BattleCommand::None)
        return std::nullopt;
      if (view.gridColumn < target.column) return key(platform::DIK_RIGHT);
      if (view.gridColumn > target.column) return key(platform::DIK_LEFT);
      if (view.gridRow < target.row) return key(platform::DIK_DOWN);
      if (view.gridRow > target.row) return key(platform::DIK_UP);
      return key(platform::DIK_RETURN, true);
    }
    case Kind::SkillLine: {
      if (view.cursorMode == CursorMode::CommandBar) return onCommandBar(view, 3, false);
      if (view.cursorMode != CursorMode::SkillList || view.battleCommand != BattleCommand::Skill) {
        return key(platform::DIK_BACK);
      }
      if (target.index >= view.skillLines) return std::nullopt;
      const float y = kSkillCursorTop + kSkillCursorStep * static_cast<float>(target.index);
      if (auto step = towards(view.cursorY, y, platform::DIK_DOWN, platform::DIK_UP)) return step;
      return key(platform::DIK_RETURN, true);
    }
    default:
      return std::nullopt;
  }
}

void PointerKeySequence::start(const PointerTarget& target) {
  target_ = target;
  sent_.reset();
  keys_ = 0;
}

void PointerKeySequence::stop() {
  target_.reset();
  sent_.reset();
  keys_ = 0;
}

std::uint8_t PointerKeySequence::next(const PointerView& view) {
  if (!target_) return 0;
  // The key before this look should have changed what the game shows; the same view means it did not.
  if (sent_ && *sent_ == view) {
    stop();
    return 0;
  }
  const std::optional<PointerStep> step = nextStep(view, *target_);
  if (!step) {
    stop();
    return 0;
  }
  ++keys_;
  if (step->last || keys_ >= kMaxKeys) {
    stop();
  } else {
    sent_ = view;
  }
  return step->key;
}

void PointerKeys::watch(const app::Game* game) {
  game_ = game;
  forget();
  lastLook_.reset();
  deafUntil_.reset();
  waitedLong_ = false;
  readsInFrame_ = 0;
}

void PointerKeys::waitUntil(std::uint32_t deadline) {
  const bool longWait =
      static_cast<std::int32_t>(deadline - inner().ticks()) > static_cast<std::int32_t>(kLongWaitMs);
  inner().waitUntil(deadline);
  if (longWait) {
    deafUntil_ = inner().ticks();
    waitedLong_ = true;
  }
}

void PointerKeys::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) {
    forget();
    mouseInside_ = false;
    showPointer(false);
  }
}

void PointerKeys::forget() {
  pending_.reset();
  sequence_.stop();
}

void PointerKeys::showPointer(bool shown) {
  if (shown == pointerShown_) return;
  pointerShown_ = shown;
  inner().setMousePointerShown(shown);
}

void PointerKeys::hideMousePointer() {
  inner().hideMousePointer();
  pointerShown_ = false;
}

void PointerKeys::takeEvents() {
  events_.clear();
  inner().takePointerEvents(events_);
  // Times come from the game's clock when the events are taken: a backend stamps them on its own clock,
  // which the layers below may run behind the game's.
  const std::uint32_t now = inner().ticks();
  for (const platform::PointerEvent& event : events_) {
    if (!enabled_ || game_ == nullptr) continue;
    switch (event.kind) {
      case platform::PointerEvent::Kind::Move:
        if (event.touch) break;
        mouseInside_ = event.inside;
        mouseX_ = event.x;
        mouseY_ = event.y;
        lastMotion_ = now;
        showPointer(true);
        break;
      case platform::PointerEvent::Kind::Press:
        if (event.touch) {
          // A finger on the screen: the mouse pointer would only stand in the way.
          showPointer(false);
        } else {
          mouseInside_ = event.inside;
          mouseX_ = event.x;
          mouseY_ = event.y;
        }
        // Pressed while the game was in a long wait: on a picture that was not taking keys.
        if (deafUntil_ && static_cast<std::int32_t>(event.ticks - *deafUntil_) < 0) break;
        if (event.inside && event.button != platform::PointerButton::None) {
          pending_ = Click{event.button, event.x, event.y};
        }
        break;
      case platform::PointerEvent::Kind::Release:
        break;
      case platform::PointerEvent::Kind::Leave:
        mouseInside_ = false;
        break;
    }
  }
  if (pointerShown_ && now - lastMotion_ >= kPointerHideMs) showPointer(false);
}

platform::Message PointerKeys::peekMessage() {
  readsInFrame_ = 0;
  takeEvents();
  return inner().peekMessage();
}

bool PointerKeys::readKeyboard(std::uint8_t (&state)[256]) {
  const bool ok = inner().readKeyboard(state);
  ++readsInFrame_;
  enterInRead_ = false;
  const std::uint32_t now = inner().ticks();
  const bool reading = lastLook_ && now - *lastLook_ <= kLookGapMs && !waitedLong_;
  lastLook_ = now;
  waitedLong_ = false;
  takeEvents();

  if (std::any_of(std::begin(state), std::end(state), [](std::uint8_t down) { return down != 0; })) {
    // The keyboard has the say: a real key cancels the click's keys and hides the pointer.
    forget();
    showPointer(false);
    return ok;
  }
  if (!enabled_ || game_ == nullptr) {
    forget();
    return ok;
  }
  if (!reading) {
    // The game was busy elsewhere: whatever was clicked meanwhile was clicked on a picture that was not
    // taking keys, and a click's keys under way stop too.
    forget();
    return ok;
  }
  const PointerView view = readPointerView(*game_, readsInFrame_);
  if (pending_) {
    const std::optional<PointerTarget> target = pending_->button == platform::PointerButton::Secondary
                                                    ? secondaryTarget(view)
                                                    : targetAt(view, pending_->x, pending_->y);
    pending_.reset();
    if (target) sequence_.start(*target);
  }
  if (const std::uint8_t code = sequence_.next(view); code != 0) {
    state[code] = 0x80;
    enterInRead_ = code == platform::DIK_RETURN;
  }
  return ok;
}

bool PointerKeys::isKeyDown(platform::DirectKey key) {
  const bool down = inner().isKeyDown(key);
  // The Enter a read showed is the one a test of Enter right after it sees (an intro page reads the
  // keyboard, shows the page, then tests Enter).
  if (key == platform::DirectKey::Return && enterInRead_) return true;
  return down;
}

std::optional<FrameRect> PointerKeys::hoverBox() {
  if (!enabled_ || game_ == nullptr || !pointerShown_ || !mouseInside_) return std::nullopt;
  const std::optional<PointerTarget> target =
      targetAt(readPointerView(*game_, readsInFrame_), mouseX_, mouseY_);
  return target ? targetBox(*target) : std::nullopt;
}

bool PointerKeys::present(const platform::Frame& frame) {
  takeEvents();
  const bool valid = frame.pixels != nullptr && frame.palette != nullptr && frame.width > 0 &&
                     frame.height > 0 && frame.pitch >= frame.width;
  std::optional<FrameRect> box = valid ? hoverBox() : std::nullopt;
  if (box) {
    box->left = std::max(box->left, 0);
    box->top = std::max(box->top, 0);
    box->right = std::min(box->right, frame.width);
    box->bottom = std::min(box->bottom, frame.height);
    if (box->left >= box->right || box->top >= box->bottom) box.reset();
  }
  if (!box && !shownBox_) return inner().present(frame);

  // Where the picture passed on may differ from the one passed on before: where the game's did, and
  // where an outline was or now is.
  platform::Frame out = frame;
  if (frame.changed != nullptr) {
    changed_.assign(frame.changed, frame.changed + frame.changedCount);
    if (shownBox_) changed_.push_back(*shownBox_);
    if (box) changed_.push_back(*box);
    out.changed = changed_.data();
    out.changedCount = changed_.size();
  }
  if (!box) {
    // The outline goes: the game's own picture, with the old outline's box among the changes.
    shownBox_.reset();
    composedCurrent_ = false;
    return inner().present(out);
  }

  // The copy follows the game's picture: where it changed, and under the old outline; the rest it holds.
  const auto width = static_cast<std::size_t>(frame.width);
  const auto copyRect = [&](FrameRect rect) {
    rect.left = std::clamp(rect.left, 0, frame.width);
    rect.right = std::clamp(rect.right, 0, frame.width);
    rect.top = std::clamp(rect.top, 0, frame.height);
    rect.bottom = std::clamp(rect.bottom, 0, frame.height);
    if (rect.left >= rect.right) return;
    for (int y = rect.top; y < rect.bottom; ++y) {
      std::memcpy(
          composed_.data() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(rect.left),
          frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.pitch + rect.left,
          static_cast<std::size_t>(rect.right - rect.left));
    }
  };
  const bool follow = composedCurrent_ && frame.changed != nullptr && composedWidth_ == frame.width &&
                      composedHeight_ == frame.height;
  if (follow) {
    for (std::size_t i = 0; i < frame.changedCount; ++i) copyRect(frame.changed[i]);
    if (shownBox_) copyRect(*shownBox_);
  } else {
    composed_.resize(width * static_cast<std::size_t>(frame.height));
    composedWidth_ = frame.width;
    composedHeight_ = frame.height;
    copyRect({0, 0, frame.width, frame.height});
  }

  const std::uint8_t ink = nearestIndex(frame.palette, kOutlineColour);
  const auto row = [&](int y) {
    std::fill_n(composed_.data() + static_cast<std::size_t>(y) * width + static_cast<std::size_t>(box->left),
                box->right - box->left, ink);
  };
  row(box->top);
  row(box->bottom - 1);
  for (int y = box->top; y < box->bottom; ++y) {
    composed_[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(box->left)] = ink;
    composed_[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(box->right - 1)] = ink;
  }

  out.pixels = composed_.data();
  out.pitch = frame.width;
  shownBox_ = box;
  composedCurrent_ = true;
  return inner().present(out);
}

}  // namespace varnholt::shell
