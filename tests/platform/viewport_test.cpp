// Placement of the 800 x 600 frame in windows and screens of every shape, and window points mapped back
// onto it.
#include "platform/viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

PointerMapping mapping(int windowWidth, int windowHeight, int outputWidth, int outputHeight, FitMode mode) {
  return {windowWidth, windowHeight, outputWidth, outputHeight, 800, 600, mode};
}

TEST(FramePoint, WindowPointsLandOnThePixelShownUnderThemAndTheBarsAreOutside) {
  struct Case {
    const char* what;
    PointerMapping mapping;
    double x;
    double y;
    FramePoint expected;
  };
  const PointerMapping boxed = mapping(1920, 1080, 1920, 1080, FitMode::Integer);  // {560, 240, 800, 600}
  const PointerMapping twice = mapping(1600, 1200, 1600, 1200, FitMode::Integer);
  const PointerMapping fit = mapping(1920, 1080, 1920, 1080, FitMode::Fit);  // {240, 0, 1440, 1080}
  // A window of 960 x 540 units drawn in 1920 x 1080 pixels: the same places as above.
  const PointerMapping dense = mapping(960, 540, 1920, 1080, FitMode::Integer);
  const PointerMapping denseFit = mapping(960, 540, 1920, 1080, FitMode::Fit);
  const Case cases[] = {
      {"first pixel", boxed, 560.5, 240.5, {0, 0, true}},
      {"last pixel", boxed, 1359.5, 839.5, {799, 599, true}},
      {"left bar", boxed, 559.5, 300.5, {0, 60, false}},
      {"below", boxed, 1000.5, 840.5, {440, 599, false}},
      {"bottom-right corner, a touch's 1.0", boxed, 1920, 1080, {799, 599, false}},
      {"2x", twice, 3.5, 5.5, {1, 2, true}},
      {"2x, far edge", twice, 1599.5, 1199.5, {799, 599, true}},
      {"fit 1.8x", fit, 1140.5, 540.5, {500, 300, true}},
      {"fit, left bar", fit, 239.5, 0.5, {0, 0, false}},
      {"fit, right edge", fit, 1679.5, 1079.5, {799, 599, true}},
      {"high-DPI whole steps", dense, 280.5, 120.5, {1, 1, true}},  // a unit is two pixels
      {"high-DPI bar", dense, 279.5, 119.5, {0, 0, false}},
      {"high-DPI fit", denseFit, 570.5, 270.5, {500, 300, true}},
      {"high-DPI last pixel", dense, 679.5, 419.5, {799, 599, true}},
      {"smaller window", mapping(400, 300, 400, 300, FitMode::Integer), 399.5, 299.5, {799, 599, true}},
      {"left of the window", boxed, -50.5, 500, {0, 260, false}},
      {"far away", boxed, 1e12, -1e12, {799, 0, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(framePoint(c.mapping, c.x, c.y), c.expected) << c.what;
  }
}

TEST(FramePoint, NothingPlacedOrNoNumberIsNowhere) {
  const PointerMapping boxed = mapping(1920, 1080, 1920, 1080, FitMode::Integer);
  EXPECT_EQ(framePoint(PointerMapping{}, 10, 10), FramePoint{});
  EXPECT_EQ(framePoint(mapping(0, 1080, 1920, 1080, FitMode::Integer), 10, 10), FramePoint{});
  EXPECT_EQ(framePoint(mapping(1920, 1080, 0, 0, FitMode::Fit), 10, 10), FramePoint{});
  EXPECT_EQ(framePoint(boxed, std::nan(""), 600), FramePoint{});
  EXPECT_EQ(framePoint(boxed, 600, std::numeric_limits<double>::infinity()), FramePoint{});
}

}  // namespace
}  // namespace varnholt::platform
