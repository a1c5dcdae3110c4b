// The random generator: its exact sequence from the start state, the draw count and the shared instance.

#include "data/random.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

TEST(RandomGeneratorTest, SequenceFromStateOneAndReset) {
  RandomGenerator& random = sharedRandom();
  random.reset();
  EXPECT_EQ(random.next(), 41);
  EXPECT_EQ(random.state(), 2745024u);
  EXPECT_EQ(random.next(), 18467);
  EXPECT_EQ(random.next(), 6334);
  EXPECT_EQ(sharedRandom().next(), 26500);
  EXPECT_EQ(random.drawCount(), 4u);
  random.reset();
  EXPECT_EQ(random.drawCount(), 0u);
  EXPECT_EQ(random.next(), 41);
  random.reset();
}

}  // namespace
}  // namespace varnholt
