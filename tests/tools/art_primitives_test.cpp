// The generator's drawing primitives and palette: shapes land on the pixels they promise and never
// outside the canvas, ramps run dark to light without overlapping, and text lands where it is aligned.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "art/canvas.h"
#include "art/palette.h"
#include "art/text.h"

namespace varnholt::art {
namespace {

int count(const Canvas& c, int index) {
  int n = 0;
  for (const auto p : c.pixels()) n += p == index;
  return n;
}

TEST(Canvas, DrawingPastTheEdgesIsClipped) {
  Canvas c(8, 6);
  c.fillRect(-4, -4, 20, 20, 3);
  EXPECT_EQ(count(c, 3), 48);
  c.set(8, 0, 5);
  c.set(-1, 2, 5);
  c.fillEllipse(100, 100, 5, 5, 5);
  c.line(-10, -10, -2, -3, 5, 3);
  EXPECT_EQ(count(c, 5), 0);
  EXPECT_EQ(c.at(-1, 0), 0);
  EXPECT_EQ(c.at(0, 6), 0);
}

TEST(Canvas, ShapesCoverTheirAreaSymmetrically) {
  struct Case {
    const char* name;
    void (*draw)(Canvas&);
    int minimum, maximum;
  };
  const Case cases[] = {
      {"frame", [](Canvas& c) { c.frameRect(2, 2, 10, 6, 1, 2); }, 28 + 20, 28 + 20},
      {"ellipse r4", [](Canvas& c) { c.fillEllipse(8, 8, 4, 4, 1); }, 44, 56},
      {"triangle",
       [](Canvas& c) {
         c.fillPolygon({{0, 0}, {16, 0}, {0, 16}}, 1);
       },
       120, 136},
      {"checker", [](Canvas& c) { c.ditherRect(0, 0, 4, 4, 1); }, 8, 8},
  };
  for (const auto& k : cases) {
    Canvas c(16, 16);
    k.draw(c);
    const int n = count(c, 1);
    EXPECT_GE(n, k.minimum) << k.name;
    EXPECT_LE(n, k.maximum) << k.name;
  }
  Canvas e(16, 16);
  e.fillEllipse(8, 8, 5, 3, 1);
  for (int j = 0; j < 16; ++j)
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(e.at(i, j), e.at(15 - i, j)) << i << "," << j;
      EXPECT_EQ(e.at(i, j), e.at(i, 15 - j)) << i << "," << j;
    }
}

TEST(Canvas, OutlineRingsShapesWithoutTouchingThem) {
  Canvas c(7, 7);
  c.set(3, 3, 9);
  c.outline(1);
  EXPECT_EQ(c.at(3, 3), 9);
  EXPECT_EQ(count(c, 1), 4);
  EXPECT_EQ(c.at(2, 3), 1);
  EXPECT_EQ(c.at(2, 2), 0) << "diagonal neighbours stay clear";
}

TEST(Canvas, BlitSkipsTransparentPixelsAndMirrors) {
  Canvas source(3, 1);
  source.set(0, 0, 4);
  source.set(2, 0, 6);
  Canvas target(3, 1, 7);
  target.blit(source, 0, 0);
  EXPECT_EQ(target.at(0, 0), 4);
  EXPECT_EQ(target.at(1, 0), 7);
  EXPECT_EQ(target.at(2, 0), 6);
  target.blit(source, 0, 0, true);
  EXPECT_EQ(target.at(0, 0), 6);
  EXPECT_EQ(target.at(2, 0), 4);
}

TEST(Canvas, GradientsStayInsideTheirRamp) {
  Canvas c(10, 40);
  c.gradient(0, 0, 10, 40, ramp::sky, 0.0, 1.0);
  std::set<int> seen(c.pixels().begin(), c.pixels().end());
  for (int index : seen) {
    EXPECT_GE(index, ramp::sky.first);
    EXPECT_LE(index, ramp::sky.lightest());
  }
  EXPECT_EQ(c.at(0, 0), ramp::sky.darkest());
  EXPECT_EQ(c.at(0, 39), ramp::sky.lightest());
}

TEST(Palette, RampsRunDarkToLightAndNeverOverlap) {
  const Palette& p = campaignPalette();
  auto light = [&](int i) { return p[i].red * 299 + p[i].green * 587 + p[i].blue * 114; };
  const Ramp ramps[] = {ramp::skin,  ramp::greenSkin, ramp::parchment, ramp::red,   ramp::blue,
                        ramp::green, ramp::purple,    ramp::metal,     ramp::grass, ramp::stone,
                        ramp::sky,   ramp::wood,      ramp::fire,      ramp::ice,   ramp::bone};
  std::set<int> used;
  for (const Ramp& r : ramps) {
    for (int i = r.first; i <= r.lightest(); ++i) {
      EXPECT_TRUE(used.insert(i).second) << "entry " << i << " in two ramps";
      EXPECT_GT(i, 0) << "index 0 is reserved for transparency";
      if (i > r.first) {
        EXPECT_GE(light(i), light(i - 1)) << "entry " << i;
      }
    }
    EXPECT_EQ(r.at(-1.0), r.darkest());
    EXPECT_EQ(r.at(2.0), r.lightest());
  }
  EXPECT_EQ(used.count(colour::turnBanner), 0u) << "the turn banner's gold is not shaded away";
  EXPECT_GT(light(colour::turnBanner), light(colour::goldDark) + 60000);
}

TEST(Palette, NearestEntryNeverAnswersTheTransparentIndex) {
  const Palette& p = campaignPalette();
  EXPECT_NE(nearestEntry(p, 0, 0, 0), 0);
  EXPECT_EQ(nearestEntry(p, p[colour::cyan].red, p[colour::cyan].green, p[colour::cyan].blue), colour::cyan);
}

TEST(Text, AlignmentPlacesTheLineAndTheOutlineWidensIt) {
  TextPainter text(platform::findDefaultFontPath());
  std::string error;
  ASSERT_TRUE(text.ready(error)) << error;
  const TextStyle plain{Face::SansBold, 16, 5, -1, -1};
  const int width = text.width(plain, "Varnholt");
  ASSERT_GT(width, 20);
  auto span = [](const Canvas& c) {
    int left = c.width(), right = -1;
    for (int j = 0; j < c.height(); ++j)
      for (int i = 0; i < c.width(); ++i)
        if (c.at(i, j) != 0) {
          left = std::min(left, i);
          right = std::max(right, i);
        }
    return std::make_pair(left, right);
  };
  Canvas centred(200, 40), right(200, 40);
  text.draw(centred, plain, 100, 5, "Varnholt", Align::Centre);
  text.draw(right, plain, 150, 5, "Varnholt", Align::Right);
  const auto [cl, cr] = span(centred);
  EXPECT_NEAR((cl + cr) / 2.0, 100, 3);
  EXPECT_LE(span(right).second, 150);
  EXPECT_GE(span(right).second, 150 - 3);
  Canvas outlined(200, 40);
  text.draw(outlined, TextStyle{Face::SansBold, 16, 5, 1, -1}, 100, 5, "Varnholt", Align::Centre);
  EXPECT_EQ(span(outlined).first, cl - 1);
  EXPECT_EQ(count(outlined, 5), count(centred, 5));
  EXPECT_GT(count(outlined, 1), 0);
}

}  // namespace
}  // namespace varnholt::art
