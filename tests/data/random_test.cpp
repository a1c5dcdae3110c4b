// The random generator: its exact sequence from the start state, and the draw count.

#include "data/random.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

TEST(RandomGeneratorTest, SequenceFromStateOne) {
  RandomGenerator random;
  EXPECT_EQ(random.next(), 41);
  EXPECT_EQ(random.state(), 2745024u);
  EXPECT_EQ(random.next(), 18467);
  EXPECT_EQ(random.next(), 6334);
  EXPECT_EQ(random.next(), 26500);
  EXPECT_EQ(random.drawCount(), 4u);
}

TEST(RandomGeneratorTest, ResetStartsTheSequenceAgain) {
  RandomGenerator random;
  for (int i = 0; i < 100000; ++i) {
    const int value = random.next();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 32767);
  }
  random.reset();
  EXPECT_EQ(random.drawCount(), 0u);
  EXPECT_EQ(random.next(), 41);
}

TEST(RandomGeneratorTest, SharedInstanceIsOne) {
  RandomGenerator& shared = sharedRandom();
  shared.reset();
  shared.next();
  EXPECT_EQ(sharedRandom().drawCount(), 1u);
  EXPECT_EQ(&sharedRandom(), &shared);
  shared.reset();
}

}  // namespace
}  // namespace varnholt
