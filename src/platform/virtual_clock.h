#pragma once
// The clock of a session that runs without real time (the headless backend, a replay in the browser):
// it starts at a chosen tick, a wait jumps straight to its deadline, and every presented frame moves it
// on by a small step, so a loop that shows pictures until a key comes still sees time pass. Deadlines
// are compared as signed differences, so a deadline past the 32-bit wrap still lies ahead and one
// already passed never moves the clock back.

#include <cstdint>

namespace varnholt::platform {

class VirtualClock {
 public:
  // Milliseconds a presented frame adds unless set otherwise.
  static constexpr std::uint32_t kDefaultPresentStep = 1;

  explicit VirtualClock(std::uint32_t startTicks = 0) : now_(startTicks) {}

  std::uint32_t now() const { return now_; }
  void waitUntil(std::uint32_t deadline) {
    if (static_cast<std::int32_t>(deadline - now_) > 0) now_ = deadline;
  }
  void framePresented() { now_ += presentStep_; }

  void set(std::uint32_t ticks) { now_ = ticks; }
  void advance(std::uint32_t milliseconds) { now_ += milliseconds; }
  void setPresentStep(std::uint32_t milliseconds) { presentStep_ = milliseconds; }

 private:
  std::uint32_t now_;
  std::uint32_t presentStep_ = kDefaultPresentStep;
};

}  // namespace varnholt::platform
