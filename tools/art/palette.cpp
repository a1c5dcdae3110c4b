// The campaign palette: sixteen ramps (greys, skins, cloths, metal, grass, stone, sky, wood, fire, ice,
// bone) and a few pure accents. Each ramp runs from a dark end through a mid tone to a light end, so a
// shape shaded along a ramp keeps its hue.

#include "art/palette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace varnholt::art {

namespace {

struct Rgb {
  int r, g, b;
};

platform::PaletteEntry entry(Rgb c) {
  return {static_cast<std::uint8_t>(std::clamp(c.r, 0, 255)),
          static_cast<std::uint8_t>(std::clamp(c.g, 0, 255)),
          static_cast<std::uint8_t>(std::clamp(c.b, 0, 255)), 0};
}

Rgb mix(Rgb a, Rgb b, double t) {
  return {static_cast<int>(std::lround(a.r + (b.r - a.r) * t)),
          static_cast<int>(std::lround(a.g + (b.g - a.g) * t)),
          static_cast<int>(std::lround(a.b + (b.b - a.b) * t))};
}

// Fills a ramp from dark through mid to light; the mid tone sits at 55% so shaded shapes keep colour.
void fill(Palette& p, Ramp r, Rgb dark, Rgb mid, Rgb light) {
  for (int i = 0; i < r.count; ++i) {
    const double t = r.count == 1 ? 0.0 : static_cast<double>(i) / (r.count - 1);
    const Rgb c = t < 0.55 ? mix(dark, mid, t / 0.55) : mix(mid, light, (t - 0.55) / 0.45);
    p[r.first + i] = entry(c);
  }
}

Palette build() {
  Palette p{};
  fill(p, ramp::grey, {10, 10, 14}, {120, 120, 126}, {250, 250, 250});
  p[colour::outline] = entry({14, 12, 16});
  p[colour::ink] = entry({32, 32, 32});
  fill(p, ramp::skin, {58, 30, 20}, {196, 132, 96}, {255, 226, 198});
  fill(p, ramp::greenSkin, {28, 46, 20}, {92, 140, 64}, {180, 214, 130});
  fill(p, ramp::parchment, {112, 86, 54}, {214, 190, 142}, {252, 244, 222});
  // Gold runs light to dark so that the turn banner's entry is a bright gold.
  for (int i = 0; i < 8; ++i) {
    const double t = i / 7.0;
    p[colour::goldLight + i] = entry(t < 0.4 ? mix({255, 246, 170}, {250, 208, 72}, t / 0.4)
                                             : mix({250, 208, 72}, {104, 66, 10}, (t - 0.4) / 0.6));
  }
  fill(p, ramp::red, {46, 8, 10}, {176, 40, 36}, {255, 170, 150});
  fill(p, ramp::blue, {10, 16, 52}, {46, 88, 186}, {176, 206, 255});
  fill(p, ramp::green, {8, 36, 16}, {44, 132, 60}, {170, 230, 160});
  fill(p, ramp::purple, {30, 10, 44}, {118, 58, 160}, {220, 180, 250});
  fill(p, ramp::metal, {30, 36, 46}, {136, 150, 166}, {240, 246, 252});
  fill(p, ramp::grass, {20, 44, 14}, {84, 140, 50}, {196, 232, 128});
  fill(p, ramp::stone, {40, 36, 34}, {132, 124, 112}, {230, 224, 210});
  fill(p, ramp::sky, {22, 30, 70}, {92, 140, 208}, {226, 240, 255});
  fill(p, ramp::wood, {40, 22, 10}, {136, 88, 46}, {230, 190, 130});
  fill(p, ramp::fire, {80, 14, 4}, {236, 112, 20}, {255, 244, 170});
  fill(p, ramp::ice, {8, 44, 60}, {60, 170, 200}, {220, 252, 255});
  fill(p, ramp::bone, {70, 62, 44}, {196, 186, 150}, {252, 250, 236});
  p[colour::pureRed] = entry({232, 24, 24});
  p[colour::pureGreen] = entry({40, 220, 60});
  p[colour::pureYellow] = entry({255, 236, 40});
  p[colour::magenta] = entry({220, 40, 200});
  p[colour::cyan] = entry({40, 230, 240});
  p[colour::deepBlue] = entry({20, 30, 110});
  p[colour::darkRed] = entry({110, 12, 16});
  p[colour::nightBlue] = entry({12, 14, 34});
  p[colour::transparent] = entry({0, 0, 0});
  return p;
}

}  // namespace

int Ramp::at(double t) const {
  const int i = static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * (count - 1)));
  return first + i;
}

const Palette& campaignPalette() {
  static const Palette palette = build();
  return palette;
}

std::string paletteFileText(const Palette& palette) {
  std::string text;
  char line[32];
  for (const auto& e : palette) {
    std::snprintf(line, sizeof line, "\n%d %d %d %d", e.red, e.green, e.blue, e.flags);
    text += line;
  }
  text += '\n';
  return text;
}

int nearestEntry(const Palette& palette, int red, int green, int blue) {
  int best = 1;
  long bestDistance = -1;
  for (int i = 1; i < 256; ++i) {
    const long dr = palette[i].red - red, dg = palette[i].green - green, db = palette[i].blue - blue;
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

}  // namespace varnholt::art
