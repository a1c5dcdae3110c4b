// Placement of the 800 x 600 frame in windows and screens of every shape.
#include "platform/viewport.h"

#include <gtest/gtest.h>

namespace varnholt::platform {
namespace {

TEST(FitFrame, WholeScalesWhenTheyFitAndAspectKeptOtherwise) {
  struct Case {
    int outputWidth;
    int outputHeight;
    ViewportRect expected;
  };
  const Case cases[] = {
      {800, 600, {0, 0, 800, 600}},          // exact
      {1920, 1080, {560, 240, 800, 600}},    // 1.8x fits only 1x: pillar and letter boxes
      {1600, 1200, {0, 0, 1600, 1200}},      // 2x exactly
      {3840, 2160, {720, 180, 2400, 1800}},  // 3x
      {2560, 1200, {480, 0, 1600, 1200}},    // wide: height decides
      {640, 480, {0, 0, 640, 480}},          // smaller, same shape
      {400, 600, {0, 150, 400, 300}},        // narrow and smaller: width decides
      {800, 300, {200, 0, 400, 300}},        // flat and smaller: height decides
      {1, 1, {0, 0, 1, 1}},                  // never vanishes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fitFrame(c.outputWidth, c.outputHeight, 800, 600), c.expected)
        << c.outputWidth << "x" << c.outputHeight;
  }
}

TEST(FitFrame, NothingToPlaceGivesAnEmptyRectangle) {
  EXPECT_EQ(fitFrame(0, 600, 800, 600), ViewportRect{});
  EXPECT_EQ(fitFrame(800, -1, 800, 600), ViewportRect{});
  EXPECT_EQ(fitFrame(800, 600, 0, 600), ViewportRect{});
}

}  // namespace
}  // namespace varnholt::platform
