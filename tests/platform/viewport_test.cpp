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

TEST(FitFrame, FitFillsTheScreenAndIsDrawnFromTheNextWholeScaleAbove) {
  struct Case {
    int outputWidth;
    int outputHeight;
    ViewportRect expected;
    int enlargement;
  };
  const Case cases[] = {
      {1920, 1080, {240, 0, 1440, 1080}, 2},  // 1.8x: from 2x, smoothed down
      {1366, 768, {171, 0, 1024, 768}, 2},   {1280, 1024, {0, 32, 1280, 960}, 2},
      {1600, 1200, {0, 0, 1600, 1200}, 2},  // exactly 2x: drawn straight
      {3840, 2160, {480, 0, 2880, 2160}, 4}, {800, 600, {0, 0, 800, 600}, 1},
      {640, 480, {0, 0, 640, 480}, 1},  // smaller: smoothed down from the frame itself
  };
  for (const Case& c : cases) {
    const ViewportRect place = fitFrame(c.outputWidth, c.outputHeight, 800, 600, FitMode::Fit);
    EXPECT_EQ(place, c.expected) << c.outputWidth << "x" << c.outputHeight;
    EXPECT_EQ(enlargement(place.width, place.height, 800, 600), c.enlargement) << c.outputWidth;
  }
  // A place one pixel wider than 2x needs 3x to cover it.
  EXPECT_EQ(enlargement(1601, 1200, 800, 600), 3);
  EXPECT_EQ(enlargement(10, 10, 0, 600), 1);
}

TEST(FitFrame, NothingToPlaceGivesAnEmptyRectangle) {
  EXPECT_EQ(fitFrame(0, 600, 800, 600), ViewportRect{});
  EXPECT_EQ(fitFrame(800, -1, 800, 600), ViewportRect{});
  EXPECT_EQ(fitFrame(800, 600, 0, 600), ViewportRect{});
  EXPECT_EQ(fitFrame(0, 0, 800, 600, FitMode::Fit), ViewportRect{});
}

}  // namespace
}  // namespace varnholt::platform
