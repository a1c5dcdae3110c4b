// Holds a key press can end.
#include "app/skip_waits.h"

#include <algorithm>
#include <iterator>

namespace varnholt::app {
namespace {

std::int32_t until(std::uint32_t deadline, std::uint32_t now) {
  return static_cast<std::int32_t>(deadline - now);
}

// Whether a press of this key may end a hold. Modifiers (Alt+Enter switches the display mode) and F11
// and F12, which the backend keeps for itself (the display mode, screenshots), leave the hold alone.
bool canSkip(int code) {
  switch (code) {
    case 0x1D:  // left Ctrl
    case 0x2A:  // left Shift
    case 0x36:  // right Shift
    case 0x38:  // left Alt
    case 0x57:  // F11
    case 0x58:  // F12
    case 0x9D:  // right Ctrl
    case 0xB8:  // right Alt
    case 0xDB:  // left Windows
    case 0xDC:  // right Windows
      return false;
    default:
      return true;
  }
}

// The quit keys end a hold and stay the game's: its quit test at the start of the next frame sees them,
// as it would have after the wait, so a player who presses Escape during the splash quits at once.
bool isQuitKey(int code) {
  return code == platform::DIK_ESCAPE || code == platform::DIK_SPACE;
}

}  // namespace

platform::Message SkipWaits::peekMessage() {
  skipping_ = false;
  return inner().peekMessage();
}

std::uint32_t SkipWaits::ticks() {
  return inner().ticks() + ahead_;
}

bool SkipWaits::readKeyboard(std::uint8_t (&state)[256]) {
  const bool ok = inner().readKeyboard(state);
  if (ok && usedUp_ >= 0) {
    if (state[usedUp_] == 0) {
      usedUp_ = -1;
    } else {
      state[usedUp_] = 0;
    }
  }
  return ok;
}

bool SkipWaits::isKeyDown(platform::DirectKey key) {
  const bool down = inner().isKeyDown(key);
  if (usedUp_ < 0 || !platform::directKeyHas(key, usedUp_)) return down;
  if (!down) usedUp_ = -1;
  return false;
}

void SkipWaits::takeInnerEvents() {
  const std::size_t first = pending_.size();
  inner().takeKeyEvents(pending_);
  for (std::size_t i = first; i < pending_.size(); ++i) pending_[i].ticks += ahead_;
  if (pending_.size() > kEventLimit) {
    pending_.erase(pending_.begin(), pending_.end() - static_cast<std::ptrdiff_t>(kEventLimit));
  }
}

void SkipWaits::takeKeyEvents(std::vector<platform::KeyEvent>& events) {
  takeInnerEvents();
  for (const platform::KeyEvent& event : pending_) {
    if (usedUp_ == event.code) {
      if (!event.down) usedUp_ = -1;
      continue;
    }
    events.push_back(event);
  }
  pending_.clear();
}

void SkipWaits::takeInnerPointerEvents() {
  std::vector<platform::PointerEvent> events;
  inner().takePointerEvents(events);
  for (platform::PointerEvent& event : events) {
    if (usedUpPointer_ && event.button == usedUpPointer_->button && event.touch == usedUpPointer_->touch) {
      if (event.kind == platform::PointerEvent::Kind::Release) {
        usedUpPointer_.reset();
        continue;
      }
      // Another press of the same button: the release of the one that skipped was lost.
      if (event.kind == platform::PointerEvent::Kind::Press) usedUpPointer_.reset();
    }
    event.ticks += ahead_;
    pendingPointer_.push_back(event);
  }
  if (pendingPointer_.size() > kEventLimit) {
    pendingPointer_.erase(pendingPointer_.begin(),
                          pendingPointer_.end() - static_cast<std::ptrdiff_t>(kEventLimit));
  }
}

void SkipWaits::takePointerEvents(std::vector<platform::PointerEvent>& events) {
  takeInnerPointerEvents();
  events.insert(events.end(), pendingPointer_.begin(), pendingPointer_.end());
  pendingPointer_.clear();
}

bool SkipWaits::pointerPress(std::size_t from) {
  using Kind = platform::PointerEvent::Kind;
  takeInnerPointerEvents();
  for (std::size_t i = std::min(from, pendingPointer_.size()); i < pendingPointer_.size(); ++i) {
    const platform::PointerEvent press = pendingPointer_[i];
    if (press.kind != Kind::Press) continue;
    pendingPointer_.erase(pendingPointer_.begin() + static_cast<std::ptrdiff_t>(i));
    // Its release may have come in the same slice; else it is left out when it comes.
    for (std::size_t j = i; j < pendingPointer_.size(); ++j) {
      const platform::PointerEvent& release = pendingPointer_[j];
      if (release.button != press.button || release.touch != press.touch) continue;
      if (release.kind == Kind::Release) {
        pendingPointer_.erase(pendingPointer_.begin() + static_cast<std::ptrdiff_t>(j));
        return true;
      }
      if (release.kind == Kind::Press) return true;  // pressed again: the release was lost
    }
    usedUpPointer_ = UsedUpPointer{press.button, press.touch};
    return true;
  }
  return false;
}

void SkipWaits::waitUntil(std::uint32_t deadline) {
  const std::int32_t left = until(deadline, ticks());
  if (left > 0 && skipping_) {
    ahead_ += static_cast<std::uint32_t>(left);
    return;
  }
  if (left > static_cast<std::int32_t>(kHoldMs)) {
    hold(deadline);
    return;
  }
  inner().waitUntil(deadline - ahead_);
}

void SkipWaits::eraseDown(std::uint8_t code, std::size_t from) {
  for (std::size_t i = from; i < pending_.size(); ++i) {
    if (pending_[i].code == code && pending_[i].down) {
      pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

std::optional<std::uint8_t> SkipWaits::freshPress(std::size_t from) {
  // The events first: a key let go in them and down in the later snapshot was pressed again.
  takeInnerEvents();
  from = std::min(from, pending_.size());
  for (std::size_t i = from; i < pending_.size(); ++i) {
    const platform::KeyEvent& event = pending_[i];
    if (!event.down) {
      heldAtHold_[event.code] = false;
    } else if (!heldAtHold_[event.code] && canSkip(event.code)) {
      const std::uint8_t code = event.code;
      if (!isQuitKey(code)) pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
      return code;
    }
  }
  // The snapshot finds a press on a backend that reports no events.
  std::uint8_t state[256];
  if (!inner().readKeyboard(state)) return std::nullopt;
  for (int code = 1; code < 256; ++code) {
    const auto index = static_cast<std::size_t>(code);
    if (state[code] == 0) {
      heldAtHold_[index] = false;
    } else if (!heldAtHold_[index] && canSkip(code)) {
      // Its down event may have come in with the snapshot's own read.
      const std::size_t before = pending_.size();
      takeInnerEvents();
      if (!isQuitKey(code)) eraseDown(static_cast<std::uint8_t>(code), std::min(before, pending_.size()));
      return static_cast<std::uint8_t>(code);
    }
  }
  return std::nullopt;
}

void SkipWaits::hold(std::uint32_t deadline) {
  // What came before the hold began cannot end it: the events so far, and the keys down now.
  takeInnerEvents();
  std::uint8_t state[256];
  if (inner().readKeyboard(state)) {
    for (int code = 0; code < 256; ++code) heldAtHold_[static_cast<std::size_t>(code)] = state[code] != 0;
  } else {
    heldAtHold_.fill(true);  // a keyboard that cannot be read shows no fresh press in it
  }
  // Events the snapshot's own read brought in came before the hold as well.
  takeInnerEvents();
  takeInnerPointerEvents();
  std::size_t seen = pending_.size();
  std::size_t seenPointer = pendingPointer_.size();
  for (;;) {
    const std::uint32_t now = inner().ticks();
    const std::uint32_t end = deadline - ahead_;
    const std::int32_t left = until(end, now);
    if (left <= 0) return;
    inner().waitUntil(left > static_cast<std::int32_t>(kSliceMs) ? now + kSliceMs : end);
    const std::optional<std::uint8_t> code = freshPress(seen);
    if (code || pointerPress(seenPointer)) {
      const std::int32_t skipped = until(deadline, ticks());
      if (skipped > 0) ahead_ += static_cast<std::uint32_t>(skipped);
      skipping_ = true;
      if (code) usedUp_ = isQuitKey(*code) ? -1 : *code;
      ++skips_;
      return;
    }
    seen = pending_.size();
    seenPointer = pendingPointer_.size();
  }
}

}  // namespace varnholt::app
