// The virtual clock both windowless sessions keep (the headless backend, a replay in the browser).
#include "platform/virtual_clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace varnholt::platform {
namespace {

TEST(VirtualClock, WaitsJumpToDeadlinesAheadAndIgnoreThoseBehind) {
  struct Case {
    std::uint32_t start;
    std::uint32_t deadline;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {0, 20, 20},                    // ahead
      {100, 100, 100},                // already reached
      {100, 40, 100},                 // in the past: time never goes back
      {0xFFFFFFF0u, 0x10, 0x10},      // ahead across the wrap of the counter
      {0x10, 0xFFFFFFF0u, 0x10},      // behind across the wrap
      {0, 0x7FFFFFFFu, 0x7FFFFFFFu},  // the furthest deadline that still counts as ahead
      {0, 0x80000000u, 0},            // half the range away reads as behind
  };
  for (const Case& c : cases) {
    VirtualClock clock(c.start);
    clock.waitUntil(c.deadline);
    EXPECT_EQ(clock.now(), c.expected) << "start " << c.start << " deadline " << c.deadline;
  }
}

TEST(VirtualClock, PresentsStepTimeOnAndWaitsAfterThemNeverGoBack) {
  VirtualClock clock;
  EXPECT_EQ(clock.now(), 0u) << "a replay's time starts at 0";
  clock.framePresented();
  clock.framePresented();
  EXPECT_EQ(clock.now(), 2 * VirtualClock::kDefaultPresentStep);
  // A wait to a deadline the presents have already passed (a frame started at 0 waiting 1 ms).
  clock.waitUntil(1);
  EXPECT_EQ(clock.now(), 2u);
  clock.waitUntil(22);
  clock.framePresented();
  EXPECT_EQ(clock.now(), 23u);

  // Presents carry time over the wrap like waits do.
  clock.set(0xFFFFFFFFu);
  clock.framePresented();
  EXPECT_EQ(clock.now(), 0u);
  clock.waitUntil(0xFFFFFFFFu);
  EXPECT_EQ(clock.now(), 0u) << "the deadline just before the wrap lies behind";

  clock.setPresentStep(0);
  clock.framePresented();
  clock.advance(7);
  EXPECT_EQ(clock.now(), 7u);
}

}  // namespace
}  // namespace varnholt::platform
