#pragma once
// The SDL backend's pointer: the mouse and the first finger on the window, turned into pointer events in
// frame pixels through the presenter's placement at the moment each event is handled. The left button
// is the primary one and the right the secondary; other buttons are left out. A touch is the primary
// button, and only the first finger down counts until it comes up again. SDL also makes mouse events of
// touches (and can make touches of the mouse): those copies are left out, so a tap is seen once. Needs no
// display: the events can be made by hand.

#include <SDL2/SDL.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_presenter.h"

namespace varnholt::platform {

class SdlPointer {
 public:
  // Events kept for a taker; the oldest are dropped when nobody takes them.
  static constexpr std::size_t EVENT_LIMIT = 1024;

  explicit SdlPointer(const SdlPresenter& presenter) : presenter_(presenter) {}

  // Takes a mouse, touch or window-leave event that came at `ticks`; false for every other event.
  bool handle(const SDL_Event& event, std::uint32_t ticks);
  // Appends the events not taken yet, oldest first, and forgets them.
  void takeEvents(std::vector<PointerEvent>& events);
  // Drops what was not taken and forgets the finger down (the window closed).
  void reset();

 private:
  void mouse(PointerEvent::Kind kind, Uint8 button, Sint32 x, Sint32 y, std::uint32_t ticks);
  void finger(PointerEvent::Kind kind, const SDL_TouchFingerEvent& touch, std::uint32_t ticks);
  void push(PointerEvent::Kind kind, PointerButton button, bool touch, FramePoint point, std::uint32_t ticks);

  const SdlPresenter& presenter_;
  std::deque<PointerEvent> events_;
  bool fingerDown_ = false;
  SDL_TouchID touchId_ = 0;
  SDL_FingerID fingerId_ = 0;
  FramePoint last_;  // where the pointer was last seen, for a leave
};

}  // namespace varnholt::platform
