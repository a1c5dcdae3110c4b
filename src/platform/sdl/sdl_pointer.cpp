// The SDL backend's pointer: mouse and touch events in frame pixels.
#include "platform/sdl/sdl_pointer.h"

namespace varnholt::platform {

bool SdlPointer::handle(const SDL_Event& event, std::uint32_t ticks) {
  using Kind = PointerEvent::Kind;
  switch (event.type) {
    case SDL_MOUSEMOTION:
      if (event.motion.which != SDL_TOUCH_MOUSEID) {
        mouse(Kind::Move, 0, event.motion.x, event.motion.y, ticks);
      }
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.which != SDL_TOUCH_MOUSEID) {
        mouse(event.type == SDL_MOUSEBUTTONDOWN ? Kind::Press : Kind::Release, event.button.button,
              event.button.x, event.button.y, ticks);
      }
      return true;
    case SDL_FINGERDOWN:
      finger(Kind::Press, event.tfinger, ticks);
      return true;
    case SDL_FINGERMOTION:
      finger(Kind::Move, event.tfinger, ticks);
      return true;
    case SDL_FINGERUP:
      finger(Kind::Release, event.tfinger, ticks);
      return true;
    case SDL_WINDOWEVENT:
      if (event.window.event != SDL_WINDOWEVENT_LEAVE) return false;
      push(Kind::Leave, PointerButton::None, false, {last_.x, last_.y, false}, ticks);
      return true;
    default:
      return false;
  }
}

void SdlPointer::mouse(PointerEvent::Kind kind, Uint8 button, Sint32 x, Sint32 y, std::uint32_t ticks) {
  PointerButton which = PointerButton::None;
  if (kind != PointerEvent::Kind::Move) {
    if (button == SDL_BUTTON_LEFT) {
      which = PointerButton::Primary;
    } else if (button == SDL_BUTTON_RIGHT) {
      which = PointerButton::Secondary;
    } else {
      return;
    }
  }
  // The centre of the window unit the mouse is in.
  const FramePoint point = framePoint(presenter_.pointerMapping(), x + 0.5, y + 0.5);
  push(kind, which, false, point, ticks);
}

void SdlPointer::finger(PointerEvent::Kind kind, const SDL_TouchFingerEvent& touch, std::uint32_t ticks) {
  // Touches SDL makes of the mouse are the mouse's events already.
  if (touch.touchId == SDL_MOUSE_TOUCHID) return;
  if (kind == PointerEvent::Kind::Press) {
    if (fingerDown_) return;
    fingerDown_ = true;
    touchId_ = touch.touchId;
    fingerId_ = touch.fingerId;
  } else if (!fingerDown_ || touch.touchId != touchId_ || touch.fingerId != fingerId_) {
    return;
  } else if (kind == PointerEvent::Kind::Release) {
    fingerDown_ = false;
  }
  // A finger's position is a share of the window's size.
  const PointerMapping mapping = presenter_.pointerMapping();
  const FramePoint point = framePoint(mapping, static_cast<double>(touch.x) * mapping.windowWidth,
                                      static_cast<double>(touch.y) * mapping.windowHeight);
  push(kind, PointerButton::Primary, true, point, ticks);
}

void SdlPointer::push(PointerEvent::Kind kind, PointerButton button, bool touch, FramePoint point,
                      std::uint32_t ticks) {
  if (kind != PointerEvent::Kind::Leave) last_ = point;
  if (events_.size() >= EVENT_LIMIT) events_.pop_front();
  events_.push_back(PointerEvent{kind, button, touch, point.inside, point.x, point.y, ticks});
}

void SdlPointer::takeEvents(std::vector<PointerEvent>& events) {
  events.insert(events.end(), events_.begin(), events_.end());
  events_.clear();
}

void SdlPointer::reset() {
  events_.clear();
  fingerDown_ = false;
  last_ = {};
}

}  // namespace varnholt::platform
