#pragma once
// The game's one random generator: a linear congruential generator whose 32-bit state starts at 1 and is
// never reseeded, so a run repeats exactly from the same key presses. The order of draws is part of the
// rules; the draw count lets replay tests check that nothing drew a number the rules do not draw.

#include <cstdint>

namespace varnholt {

class RandomGenerator {
 public:
  // One draw: the next state is state * 214013 + 2531011 (mod 2^32); the result is bits 16..30 of it,
  // 0 to 32767.
  int next() {
    state_ = state_ * 214013u + 2531011u;
    ++draws_;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }

  std::uint32_t state() const { return state_; }
  std::uint64_t drawCount() const { return draws_; }

  // Back to the start-of-run state, for tests and for a fresh run in the same process.
  void reset() {
    state_ = 1;
    draws_ = 0;
  }

 private:
  std::uint32_t state_ = 1;
  std::uint64_t draws_ = 0;
};

// The instance every part of the game draws from.
RandomGenerator& sharedRandom();

}  // namespace varnholt
