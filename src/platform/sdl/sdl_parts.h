#pragma once
// The parts SdlPlatform is made of, wired together: the key state, the pointer, the presenter and the
// event pump, with the error text and the message queue they share. Tests and tools that look at one
// part get them through SdlPlatform::parts().

#include <string>

#include "platform/message_queue.h"
#include "platform/sdl/sdl_event_pump.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_pointer.h"
#include "platform/sdl/sdl_presenter.h"

namespace varnholt::platform {

struct SdlParts {
  SdlParts(FitMode scaling, std::function<std::uint32_t()> ticks)
      : presenter(scaling, lastError, [this] { pump.serverTalked(); }),
        pointer(presenter),
        pump(keys, pointer, presenter, messages, std::move(ticks)) {}
  SdlParts(const SdlParts&) = delete;
  SdlParts& operator=(const SdlParts&) = delete;

  std::string lastError;
  MessageQueue messages;
  SdlKeys keys;
  SdlPresenter presenter;
  SdlPointer pointer;
  SdlEventPump pump;
};

}  // namespace varnholt::platform
