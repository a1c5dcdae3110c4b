// Character figures. Each facing is built in layers (what is behind the body, legs, body, arms, the
// held weapon, the head and its gear), then ringed with a dark outline so the figure reads against any
// ground, and set on a soft dithered shadow.

#include "art/figures.h"

#include <algorithm>
#include <cmath>

namespace varnholt::art {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCentreX = 26.0;  // the middle of the grid cell inside a unit sprite
constexpr double kFeet = 47.0;     // the bottom of the grid cell inside a unit sprite

// Fills the part of an ellipse whose rows lie between yMin and yMax.
void ellipseBand(Canvas& c, double cx, double cy, double rx, double ry, double yMin, double yMax, int index) {
  for (int j = static_cast<int>(std::floor(cy - ry)); j <= static_cast<int>(std::ceil(cy + ry)); ++j) {
    if (j + 0.5 < yMin || j + 0.5 > yMax) continue;
    for (int i = static_cast<int>(std::floor(cx - rx)); i <= static_cast<int>(std::ceil(cx + rx)); ++i) {
      const double dx = (i + 0.5 - cx) / rx, dy = (j + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) c.set(i, j, index);
    }
  }
}

// A torso-like quad lit from the left: light strip, body, shadow strip.
void shadedQuad(Canvas& c, double topY, double bottomY, double topHalf, double bottomHalf, double cx, Ramp r,
                double tone) {
  c.fillPolygon(
      {{cx - topHalf, topY}, {cx + topHalf, topY}, {cx + bottomHalf, bottomY}, {cx - bottomHalf, bottomY}},
      r.at(tone));
  c.fillPolygon({{cx - topHalf, topY},
                 {cx - topHalf + 2, topY},
                 {cx - bottomHalf + 2, bottomY},
                 {cx - bottomHalf, bottomY}},
                r.at(tone + 0.2));
  c.fillPolygon({{cx + topHalf - 2, topY},
                 {cx + topHalf, topY},
                 {cx + bottomHalf, bottomY},
                 {cx + bottomHalf - 2, bottomY}},
                r.at(tone - 0.2));
}

struct HeadDetail {
  bool portrait = false;  // larger eyes with whites, brows and a mouth
};

void drawEars(Canvas& c, const Look& look, double cx, double cy, double r, Facing f) {
  const int skin = look.skin.at(look.skinTone - 0.1);
  auto pair = [&](auto shape) {
    if (f != Facing::Left) shape(+1);
    if (f != Facing::Right) shape(-1);
  };
  switch (look.ears) {
    case Ears::Round:
      return;
    case Ears::Pointed:
      pair([&](int s) {
        c.fillPolygon({{cx + s * r * 0.8, cy - r * 0.1},
                       {cx + s * r * 1.55, cy - r * 0.75},
                       {cx + s * r * 0.85, cy + r * 0.4}},
                      skin);
      });
      return;
    case Ears::Long:
      pair([&](int s) {
        c.fillPolygon({{cx + s * r * 0.75, cy - r * 0.2},
                       {cx + s * r * 2.0, cy - r * 0.55},
                       {cx + s * r * 0.8, cy + r * 0.35}},
                      skin);
      });
      return;
    case Ears::Cat: {
      const int fur = look.hairRamp.at(look.hairTone);
      pair([&](int s) {
        c.fillPolygon({{cx + s * r * 0.15, cy - r * 0.8},
                       {cx + s * r * 0.8, cy - r * 1.55},
                       {cx + s * r * 0.95, cy - r * 0.35}},
                      fur);
        c.fillPolygon({{cx + s * r * 0.4, cy - r * 0.8},
                       {cx + s * r * 0.78, cy - r * 1.3},
                       {cx + s * r * 0.8, cy - r * 0.6}},
                      look.skin.at(look.skinTone + 0.25));
      });
      return;
    }
  }
}

void drawHeadgear(Canvas& c, const Look& look, double cx, double cy, double r, Facing f) {
  const Ramp g = look.headgearRamp;
  const double side = f == Facing::Left ? -1 : f == Facing::Right ? 1 : 0;
  switch (look.headgear) {
    case Headgear::None:
      return;
    case Headgear::Helm:
    case Headgear::HornedHelm:
      ellipseBand(c, cx, cy - r * 0.05, r * 1.08, r * 1.05, cy - r * 1.2, cy - r * 0.05, g.at(0.55));
      ellipseBand(c, cx - r * 0.3, cy - r * 0.4, r * 0.45, r * 0.5, cy - r * 1.0, cy - r * 0.3, g.at(0.85));
      c.fillRect(static_cast<int>(cx - r * 1.08), static_cast<int>(cy - r * 0.2),
                 static_cast<int>(r * 2.16 + 1), std::max(1, static_cast<int>(r * 0.2)), g.at(0.3));
      if (f == Facing::Down)
        c.fillRect(static_cast<int>(cx - r * 0.1), static_cast<int>(cy - r * 0.2),
                   std::max(1, static_cast<int>(r * 0.22)), static_cast<int>(r * 0.6), g.at(0.35));
      if (look.headgear == Headgear::HornedHelm) {
        const int horn = ramp::bone.at(0.75);
        for (int s : {-1, 1}) {
          if ((side < 0 && s > 0) || (side > 0 && s < 0)) continue;
          c.fillPolygon({{cx + s * r * 0.75, cy - r * 0.6},
                         {cx + s * r * 1.7, cy - r * 1.0},
                         {cx + s * r * 1.9, cy - r * 1.9},
                         {cx + s * r * 1.35, cy - r * 1.1},
                         {cx + s * r * 0.85, cy - r * 0.3}},
                        horn);
        }
      }
      return;
    case Headgear::Hood:
      if (f == Facing::Up) {
        c.shadeEllipse(cx, cy, r * 1.15, r * 1.12, g, 0.3, 0.6);
        return;
      }
      ellipseBand(c, cx - side * r * 0.2, cy - r * 0.15, r * 1.2, r * 1.15, cy - r * 1.4, cy - r * 0.25,
                  g.at(0.5));
      ellipseBand(c, cx - side * r * 0.2 - r * 0.3, cy - r * 0.55, r * 0.5, r * 0.4, cy - r * 1.2,
                  cy - r * 0.45, g.at(0.7));
      return;
    case Headgear::PointedHat: {
      ellipseBand(c, cx, cy - r * 0.55, r * 1.55, r * 0.35, cy - r, cy, g.at(0.4));
      const double tipX = cx + (side != 0 ? side * -r * 1.2 : r * 0.5);
      c.fillPolygon({{cx - r * 0.85, cy - r * 0.6}, {cx + r * 0.85, cy - r * 0.6}, {tipX, cy - r * 2.4}},
                    g.at(0.55));
      c.fillPolygon({{cx - r * 0.85, cy - r * 0.6}, {cx - r * 0.35, cy - r * 0.6}, {tipX, cy - r * 2.4}},
                    g.at(0.75));
      c.fillRect(static_cast<int>(cx - r * 0.85), static_cast<int>(cy - r * 0.85),
                 static_cast<int>(r * 1.7 + 1), std::max(1, static_cast<int>(r * 0.2)), colour::goldDark - 2);
      return;
    }
    case Headgear::Crown: {
      const int gold = colour::goldLight + 2;
      const double top = cy - r * 1.05;
      c.fillRect(static_cast<int>(cx - r * 0.85), static_cast<int>(top), static_cast<int>(r * 1.7 + 1),
                 std::max(2, static_cast<int>(r * 0.3)), gold);
      for (int k = -1; k <= 1; ++k)
        c.fillPolygon({{cx + k * r * 0.6 - r * 0.25, top + 1},
                       {cx + k * r * 0.6 + r * 0.25, top + 1},
                       {cx + k * r * 0.6, top - r * 0.55}},
                      gold);
      c.set(static_cast<int>(cx), static_cast<int>(top + 1), colour::pureRed);
      return;
    }
    case Headgear::Bandana:
      ellipseBand(c, cx, cy - r * 0.05, r * 1.04, r * 1.02, cy - r * 0.75, cy - r * 0.35, g.at(0.5));
      if (f != Facing::Down)
        c.fillPolygon({{cx - side * r * 0.9, cy - r * 0.6},
                       {cx - side * r * 1.6, cy - r * 0.1},
                       {cx - side * r * 1.3, cy + r * 0.1}},
                      g.at(0.4));
      return;
  }
}

void drawHair(Canvas& c, const Look& look, double cx, double cy, double r, Facing f, bool back) {
  if (look.hair == Hair::None) return;
  const int h = look.hairRamp.at(look.hairTone), hl = look.hairRamp.at(look.hairTone + 0.25);
  const double side = f == Facing::Left ? -1 : f == Facing::Right ? 1 : 0;
  if (back) {
    if (look.hair == Hair::Long || look.hair == Hair::Braid)
      c.fillPolygon({{cx - r * 1.0, cy},
                     {cx + r * 1.0, cy},
                     {cx + r * 0.9, cy + r * 1.4},
                     {cx - r * 0.9, cy + r * 1.4}},
                    h);
    return;
  }
  if (f == Facing::Up) {
    c.shadeEllipse(cx, cy, r * 1.04, r * 1.04, look.hairRamp, look.hairTone - 0.2, look.hairTone + 0.2);
    return;
  }
  // The cap of hair above the brow; in profile it also covers the back of the head.
  ellipseBand(c, cx - side * r * 0.25, cy - r * 0.05, r * 1.06, r * 1.06, cy - r * 1.2, cy - r * 0.3, h);
  if (side != 0) ellipseBand(c, cx - side * r * 0.55, cy, r * 0.6, r * 1.0, cy - r, cy + r * 0.5, h);
  ellipseBand(c, cx - r * 0.35 - side * r * 0.2, cy - r * 0.7, r * 0.4, r * 0.25, cy - r, cy, hl);
  if (look.hair == Hair::Wild)
    for (int k = -2; k <= 2; ++k)
      c.fillPolygon({{cx + k * r * 0.4 - r * 0.3, cy - r * 0.7},
                     {cx + k * r * 0.4 + r * 0.3, cy - r * 0.7},
                     {cx + k * r * 0.5, cy - r * 1.5}},
                    h);
  if (look.hair == Hair::Long && side == 0)
    for (int s : {-1, 1})
      c.fillPolygon({{cx + s * r * 0.75, cy - r * 0.4},
                     {cx + s * r * 1.1, cy - r * 0.3},
                     {cx + s * r * 1.05, cy + r * 1.2},
                     {cx + s * r * 0.75, cy + r * 1.0}},
                    h);
  if (look.hair == Hair::Braid)
    c.line(cx + r * 0.9, cy, cx + r * 1.2, cy + r * 1.5, h, std::max(2.0, r * 0.3));
}

void drawHead(Canvas& c, const Look& look, double cx, double cy, double r, Facing f, HeadDetail detail) {
  const double side = f == Facing::Left ? -1 : f == Facing::Right ? 1 : 0;
  const int eye = std::max(1, static_cast<int>(std::lround(r / 7.0)));
  if (look.headgear == Headgear::Hood) {
    c.fillEllipse(cx - side * r * 0.2, cy + r * 0.05, r * 1.22, r * 1.2, look.headgearRamp.at(0.35));
  }
  drawHair(c, look, cx, cy, r, f, true);
  if (f != Facing::Up) drawEars(c, look, cx, cy, r, f);
  const Ramp faceRamp = look.skin;
  c.shadeEllipse(cx, cy, r, r * 1.02, faceRamp, look.skinTone - 0.3, look.skinTone + 0.2);
  if (f == Facing::Up) {
    drawEars(c, look, cx, cy, r, f);
    drawHair(c, look, cx, cy, r, f, false);
    drawHeadgear(c, look, cx, cy, r, f);
    return;
  }
  if (look.snout) {
    const double sx = cx + side * r * 0.75;
    c.shadeEllipse(sx, cy + r * 0.45, r * (side != 0 ? 0.7 : 0.55), r * 0.42, faceRamp, look.skinTone - 0.1,
                   look.skinTone + 0.25);
    c.set(static_cast<int>(sx + side * r * 0.45), static_cast<int>(cy + r * 0.35), colour::outline);
  }
  if (look.beard) {
    const int b = look.hairRamp.at(look.hairTone);
    c.fillPolygon({{cx - r * 0.95 + side * r * 0.3, cy + r * 0.1},
                   {cx + r * 0.95 + side * r * 0.3, cy + r * 0.1},
                   {cx + r * 0.5 + side * r * 0.3, cy + r * 1.2},
                   {cx + side * r * 0.4, cy + r * 1.75},
                   {cx - r * 0.5 + side * r * 0.3, cy + r * 1.2}},
                  b);
  }
  // Eyes, nose and mouth.
  const double eyeY = cy + r * 0.08;
  auto eyeAt = [&](double ex) {
    const int x = static_cast<int>(std::lround(ex)), y = static_cast<int>(std::lround(eyeY));
    if (detail.portrait) {
      c.fillRect(x - eye, y - eye / 2, eye * 2 + 1, eye + 1, colour::white);
      c.fillRect(x - eye / 2, y - eye / 2, eye + 1, eye + 1, look.eyes);
      c.fillRect(x - eye, y - eye - 1, eye * 2 + 1, 1, look.hairRamp.at(look.hairTone - 0.2));
    } else {
      c.fillRect(x, y, eye, eye + (r > 6 ? 1 : 0), look.eyes);
    }
  };
  if (side == 0) {
    eyeAt(cx - r * 0.4);
    eyeAt(cx + r * 0.4 - eye + 1);
  } else {
    eyeAt(cx + side * r * 0.5);
    c.set(static_cast<int>(cx + side * r * 1.0), static_cast<int>(cy + r * 0.3),
          faceRamp.at(look.skinTone - 0.1));
  }
  if (detail.portrait && !look.snout) {
    const int my = static_cast<int>(cy + r * 0.55);
    c.fillRect(static_cast<int>(cx - r * 0.25 + side * r * 0.35), my, static_cast<int>(r * 0.5), 1,
               faceRamp.at(look.skinTone - 0.4));
  }
  if (look.tusks) {
    const int t = ramp::bone.at(0.9);
    for (int s : {-1, 1}) {
      if ((side < 0 && s > 0) || (side > 0 && s < 0)) continue;
      const double tx = cx + s * r * 0.35 + side * r * 0.3;
      c.line(tx, cy + r * 0.75, tx + s * r * 0.1, cy + r * 0.35, t, std::max(1.0, r * 0.18));
    }
  }
  drawHair(c, look, cx, cy, r, f, false);
  drawHeadgear(c, look, cx, cy, r, f);
}

// The held weapon, with the hand at (hx, hy); `dir` is -1 when it points to the left.
void drawWeapon(Canvas& c, const Look& look, double hx, double hy, double dir, bool profile,
                double scale = 1.0) {
  const int steel = ramp::metal.at(0.85), steelDark = ramp::metal.at(0.45), wood = ramp::wood.at(0.45);
  const double s = scale;
  switch (look.weapon) {
    case Weapon::Sword: {
      const double tx = profile ? hx + dir * 9 * s : hx, ty = profile ? hy - 13 * s : hy - 17 * s;
      c.line(hx, hy, tx, ty, steel, 2.2 * s);
      c.line(hx + dir * 0.5, hy, tx + dir * 0.5, ty, steelDark, 1.0);
      c.line(hx - 3 * s, hy - 1 * s, hx + 3 * s, hy - 1 * s, colour::goldDark - 1, 1.6 * s);
      c.line(hx, hy, hx - dir * 1.5 * s, hy + 3 * s, ramp::wood.at(0.3), 1.8 * s);
      return;
    }
    case Weapon::Axe: {
      const double tx = profile ? hx + dir * 6 * s : hx, ty = hy - 15 * s;
      c.line(hx - dir * 1 * s, hy + 4 * s, tx, ty, wood, 2.0 * s);
      c.fillPolygon({{tx, ty - 1 * s},
                     {tx + dir * 7 * s, ty - 4 * s},
                     {tx + dir * 7 * s, ty + 5 * s},
                     {tx, ty + 3 * s}},
                    steel);
      return;
    }
    case Weapon::Staff: {
      const double tx = profile ? hx + dir * 3 * s : hx, ty = hy - 20 * s;
      c.line(hx - dir * 1 * s, hy + 9 * s, tx, ty, wood, 2.0 * s);
      const Ramp orb = look.tunic.first == ramp::purple.first ? ramp::ice : ramp::fire;
      c.shadeEllipse(tx, ty - 2 * s, 3.2 * s, 3.2 * s, orb, 0.45, 1.0);
      return;
    }
    case Weapon::Spear: {
      const double tx = profile ? hx + dir * 12 * s : hx, ty = profile ? hy - 16 * s : hy - 22 * s;
      const double bx = profile ? hx - dir * 5 * s : hx, by = profile ? hy + 7 * s : hy + 10 * s;
      c.line(bx, by, tx, ty, wood, 1.8 * s);
      const double ux = (tx - bx), uy = (ty - by), len = std::hypot(ux, uy);
      const double nx = ux / len, ny = uy / len;
      c.fillPolygon({{tx + nx * 6 * s, ty + ny * 6 * s},
                     {tx - ny * 2.5 * s, ty + nx * 2.5 * s},
                     {tx + ny * 2.5 * s, ty - nx * 2.5 * s}},
                    steel);
      return;
    }
    case Weapon::Bow: {
      const double bulge = profile ? dir : -1;
      std::vector<Point> arc;
      for (int k = 0; k <= 16; ++k) {
        const double t = -1 + k / 8.0;
        arc.push_back({hx + bulge * 5 * s * std::cos(t * kPi / 2), hy + t * 12 * s});
      }
      for (std::size_t k = 0; k + 1 < arc.size(); ++k)
        c.line(arc[k].x, arc[k].y, arc[k + 1].x, arc[k + 1].y, wood, 2.0 * s);
      c.line(hx, hy - 12 * s, hx, hy + 12 * s, ramp::bone.at(0.9), 1.0);
      return;
    }
    case Weapon::Claws:
      for (int k = -1; k <= 1; ++k)
        c.line(hx + k * 1.5 * s, hy, hx + k * 1.5 * s + dir * 2 * s, hy + 3 * s, ramp::bone.at(0.9), 1.0);
      return;
  }
}

void drawShield(Canvas& c, const Look& look, double x, double y, double scale = 1.0) {
  c.shadeEllipse(x, y, 5.0 * scale, 6.2 * scale, look.cloak, 0.3, 0.75);
  c.fillEllipse(x, y, 3.2 * scale, 4.2 * scale, look.cloak.at(0.45));
  c.fillEllipse(x - 0.5, y - 0.5, 1.4 * scale, 1.4 * scale, colour::goldLight + 2);
}

void drawWolf(Canvas& c, const Look& look, Facing f) {
  const Ramp fur = look.hairRamp;
  const double t = look.hairTone;
  const double feet = kFeet, cx = kCentreX;
  const int leg = fur.at(t - 0.2), belly = fur.at(t + 0.3);
  if (f == Facing::Left || f == Facing::Right) {
    c.line(cx + 11, feet - 13, cx + 19, feet - 21, fur.at(t), 3.5);
    for (double lx : {cx - 8.0, cx - 4.0, cx + 6.0, cx + 10.0})
      c.fillRect(static_cast<int>(lx), static_cast<int>(feet - 10), 3, 10, leg);
    c.shadeEllipse(cx + 1, feet - 13, 13, 6.5, fur, t - 0.25, t + 0.15);
    ellipseBand(c, cx + 1, feet - 13, 10, 4, feet - 11, feet - 8, belly);
    c.shadeEllipse(cx - 10, feet - 20, 6.5, 6, fur, t - 0.2, t + 0.2);
    c.fillPolygon({{cx - 14, feet - 21}, {cx - 22, feet - 18}, {cx - 21, feet - 15}, {cx - 13, feet - 15}},
                  fur.at(t + 0.1));
    c.set(static_cast<int>(cx - 22), static_cast<int>(feet - 18), colour::outline);
    c.fillPolygon({{cx - 9, feet - 25}, {cx - 5, feet - 32}, {cx - 4, feet - 23}}, fur.at(t - 0.1));
    c.fillRect(static_cast<int>(cx - 13), static_cast<int>(feet - 22), 2, 1, look.eyes);
    return;
  }
  c.shadeEllipse(cx, feet - 12, 10, 7, fur, t - 0.25, t + 0.1);
  if (f == Facing::Up) c.line(cx, feet - 14, cx + 3, feet - 27, fur.at(t), 4);
  for (double lx : {cx - 6.0, cx + 3.0})
    c.fillRect(static_cast<int>(lx), static_cast<int>(feet - 10), 4, 10, leg);
  const double hy = f == Facing::Up ? feet - 18 : feet - 19;
  for (int s : {-1, 1})
    c.fillPolygon({{cx + s * 2.5, hy - 5}, {cx + s * 7.5, hy - 12}, {cx + s * 7.5, hy - 2}}, fur.at(t - 0.1));
  c.shadeEllipse(cx, hy, 7.5, 6.5, fur, t - 0.2, t + 0.2);
  if (f == Facing::Down) {
    c.shadeEllipse(cx, hy + 3.5, 3.8, 3.2, fur, t + 0.2, t + 0.45);
    c.fillRect(static_cast<int>(cx - 1), static_cast<int>(hy + 2), 2, 2, colour::outline);
    c.fillRect(static_cast<int>(cx - 4), static_cast<int>(hy - 2), 2, 2, look.eyes);
    c.fillRect(static_cast<int>(cx + 2), static_cast<int>(hy - 2), 2, 2, look.eyes);
  }
}

void drawHumanoid(Canvas& c, const Look& look, Facing f) {
  const double h = look.height, w = look.breadth;
  const double cx = kCentreX, feet = kFeet;
  const double headR = 7.0 * (0.8 + 0.2 * h);
  const double legTop = feet - 10 * h;
  const double torsoTop = feet - 22 * h;
  const double headY = torsoTop - headR + 2.5;
  const bool profile = f == Facing::Left || f == Facing::Right;
  const double dir = f == Facing::Right ? 1 : -1;
  const bool skeleton = look.build == Build::Skeleton;
  const double half = profile ? 5.5 * w : 7.0 * w;

  // The weapon hand: the character's right hand (the viewer's left when facing down).
  double hx = f == Facing::Down ? cx - 9 * w : f == Facing::Up ? cx + 9 * w : cx + dir * 5;
  double hy = torsoTop + 11 * h;

  if (look.hasCloak && f != Facing::Up) {
    const int k = look.cloak.at(0.35);
    if (profile)
      c.fillPolygon({{cx - dir * 2, torsoTop + 1},
                     {cx - dir * 6 * w, torsoTop + 2},
                     {cx - dir * 10 * w, feet - 1},
                     {cx + dir * 1, feet - 1}},
                    k);
    else
      c.fillPolygon({{cx - 8 * w, torsoTop + 1},
                     {cx + 8 * w, torsoTop + 1},
                     {cx + 10.5 * w, feet - 2},
                     {cx - 10.5 * w, feet - 2}},
                    k);
  }
  if (look.tail) {
    const int tc = look.tail && look.ears == Ears::Cat ? look.hairRamp.at(look.hairTone)
                                                       : look.skin.at(look.skinTone - 0.1);
    const double tx = profile ? cx - dir * 6 : cx + 6;
    const double ex = profile ? cx - dir * 15 : cx + 14;
    c.line(tx, legTop, ex, legTop - (look.ears == Ears::Cat ? 10 : -6), tc,
           look.ears == Ears::Cat ? 2.5 : 4.0);
  }
  if (f == Facing::Up || profile) drawWeapon(c, look, hx, hy, profile ? dir : 1, profile);

  // Legs and boots, or a robe to the ground.
  const int legColour = look.legs.at(0.45), boot = skeleton ? ramp::bone.at(0.5) : ramp::wood.at(0.2);
  if (look.armour == Armour::Robe) {
    shadedQuad(c, legTop - 3, feet, half - 1, half + 2.5, cx, look.tunic, 0.5);
    c.line(cx - 2, legTop, cx - 3, feet - 1, look.tunic.at(0.35), 1);
    c.line(cx + 2, legTop, cx + 3, feet - 1, look.tunic.at(0.35), 1);
  } else if (profile) {
    c.fillPolygon({{cx - 2.5, legTop},
                   {cx + 1.5, legTop},
                   {cx + dir * 4 + 1.5, feet - 2},
                   {cx + dir * 4 - 2.5, feet - 2}},
                  legColour);
    c.fillPolygon({{cx - 1.5, legTop},
                   {cx + 2.5, legTop},
                   {cx - dir * 4 + 2.5, feet - 2},
                   {cx - dir * 4 - 1.5, feet - 2}},
                  look.legs.at(0.3));
    c.fillRect(static_cast<int>(cx + dir * 4 - 2.5), static_cast<int>(feet - 3), 5, 3, boot);
    c.fillRect(static_cast<int>(cx - dir * 4 - 2.5), static_cast<int>(feet - 3), 5, 3, boot);
  } else {
    c.fillRect(static_cast<int>(cx - 5 * w), static_cast<int>(legTop), static_cast<int>(4 * w),
               static_cast<int>(feet - legTop - 2), legColour);
    c.fillRect(static_cast<int>(cx + 1), static_cast<int>(legTop), static_cast<int>(4 * w),
               static_cast<int>(feet - legTop - 2), look.legs.at(0.35));
    c.fillRect(static_cast<int>(cx - 5.5 * w), static_cast<int>(feet - 3), static_cast<int>(5 * w), 3, boot);
    c.fillRect(static_cast<int>(cx + 0.5), static_cast<int>(feet - 3), static_cast<int>(5 * w), 3, boot);
  }

  // Arms behind the body in profile.
  const int sleeve = look.armour == Armour::Plate ? ramp::metal.at(0.5) : look.tunic.at(0.4);
  if (!profile)
    for (int s : {-1, 1}) c.fillEllipse(cx + s * 8.5 * w, torsoTop + 6 * h, 2.7 * w, 6.5 * h, sleeve);

  // Torso and armour.
  const Ramp body = skeleton ? ramp::bone : look.tunic;
  shadedQuad(c, torsoTop + 1, legTop + 1, half, half - 1, cx, body, 0.55);
  c.fillEllipse(cx - half + 1.5, torsoTop + 2.5, 2.5, 2.5, body.at(0.55));
  c.fillEllipse(cx + half - 1.5, torsoTop + 2.5, 2.5, 2.5, body.at(0.45));
  const int top = static_cast<int>(torsoTop + 2), bottom = static_cast<int>(legTop);
  if (skeleton) {
    for (int y = top + 2; y < bottom - 1; y += 3)
      c.fillRect(static_cast<int>(cx - half + 2), y, static_cast<int>(2 * half - 3), 1, ramp::bone.at(0.15));
    c.fillRect(static_cast<int>(cx), top, 1, bottom - top, ramp::bone.at(0.2));
  }
  switch (look.armour) {
    case Armour::Mail:
      c.ditherRect(static_cast<int>(cx - half + 1), top, static_cast<int>(2 * half - 1), bottom - top,
                   ramp::metal.at(0.7));
      break;
    case Armour::Plate:
      shadedQuad(c, torsoTop + 2, legTop - 1, half - 1, half - 2, cx, ramp::metal, 0.6);
      c.fillRect(static_cast<int>(cx - half + 2), static_cast<int>(torsoTop + 7 * h),
                 static_cast<int>(2 * half - 3), 1, ramp::metal.at(0.3));
      break;
    case Armour::Leather:
      shadedQuad(c, torsoTop + 3, legTop - 1, half - 2, half - 2, cx, ramp::wood, 0.45);
      c.line(cx - half + 2, torsoTop + 2, cx + half - 2, legTop - 2, ramp::wood.at(0.25), 1.2);
      break;
    case Armour::Robe:
      c.fillPolygon({{cx - 2, torsoTop + 1}, {cx + 2, torsoTop + 1}, {cx, torsoTop + 6}}, look.tunic.at(0.8));
      break;
    case Armour::None:
      break;
  }
  if (!skeleton) {
    c.fillRect(static_cast<int>(cx - half + 1), bottom - 1, static_cast<int>(2 * half - 1), 2,
               ramp::wood.at(0.2));
    c.fillRect(static_cast<int>(cx - 1), bottom - 1, 2, 2, colour::goldLight + 2);
  }
  if (look.hasCloak && f == Facing::Up)
    shadedQuad(c, torsoTop + 1, feet - 2, half + 1, half + 3, cx, look.cloak, 0.45);

  // Arms in front in profile, hands, the weapon and the shield.
  const int hand = skeleton ? ramp::bone.at(0.8) : look.skin.at(look.skinTone);
  if (profile) {
    c.line(cx, torsoTop + 3, hx, hy, sleeve, 4.0 * w);
  }
  if (f == Facing::Down) drawWeapon(c, look, hx, hy, -1, false);
  c.fillEllipse(hx, hy, 2.0, 2.0, hand);
  if (!profile) c.fillEllipse(cx + (f == Facing::Down ? 9 : -9) * w, hy, 2.0, 2.0, hand);
  if (look.shield) {
    if (f == Facing::Down) drawShield(c, look, cx + 9 * w, torsoTop + 9 * h);
    if (f == Facing::Up) drawShield(c, look, cx - 9 * w, torsoTop + 9 * h);
    if (profile) drawShield(c, look, cx + dir * 1, torsoTop + 9 * h, 0.85);
  }
  drawHead(c, look, profile ? cx + dir * 0.5 : cx, headY, headR, f, {});
}

}  // namespace

Canvas drawFigure(const Look& look, Facing facing) {
  Canvas figure(56, 56);
  if (look.build == Build::Wolf)
    drawWolf(figure, look, facing == Facing::Right ? Facing::Left : facing);
  else
    drawHumanoid(figure, look, facing == Facing::Right ? Facing::Left : facing);
  figure.outline(colour::outline);
  Canvas cell(56, 56);
  // A soft shadow on the ground under the feet.
  Canvas shadow(56, 56);
  shadow.fillEllipse(kCentreX, kFeet + 0.5, 11 * look.breadth, 3.2, ramp::grass.at(0.05));
  for (int j = 0; j < 56; ++j)
    for (int i = 0; i < 56; ++i)
      if (shadow.at(i, j) != 0 && ((i + j) & 1) == 0) cell.set(i, j, shadow.at(i, j));
  // Right is the left facing mirrored about the cell's middle column.
  if (facing == Facing::Right) {
    Canvas mirrored(56, 56);
    const int shift = static_cast<int>(2 * kCentreX) - 55;  // keeps the figure centred on the cell
    for (int j = 0; j < 56; ++j)
      for (int i = 0; i < 56; ++i) {
        const int source = 55 - i + shift;
        const int v = figure.at(source, j);
        if (v != 0) mirrored.set(i, j, v);
      }
    cell.blit(mirrored, 0, 0);
  } else {
    cell.blit(figure, 0, 0);
  }
  return cell;
}

Canvas drawPortrait(const Look& look) {
  Canvas p(56, 65);
  p.gradient(0, 0, 56, 65, look.backdrop, 0.7, 0.25);
  Canvas bust(56, 65);
  if (look.build == Build::Wolf) {
    const Ramp fur = look.hairRamp;
    const double t = look.hairTone;
    bust.shadeEllipse(28, 60, 22, 14, fur, t - 0.3, t + 0.1);
    for (int s : {-1, 1})
      bust.fillPolygon({{28.0 + s * 5, 20}, {28.0 + s * 17, 4}, {28.0 + s * 18, 26}}, fur.at(t - 0.1));
    bust.shadeEllipse(28, 31, 16, 14, fur, t - 0.25, t + 0.2);
    bust.shadeEllipse(28, 41, 8, 7, fur, t + 0.15, t + 0.45);
    bust.fillRect(25, 36, 6, 4, colour::outline);
    for (int s : {-1, 1}) {
      bust.fillRect(28 + s * 7 - 2, 26, 5, 3, look.eyes);
      bust.fillRect(28 + s * 7 - 1, 27, 2, 1, colour::outline);
    }
    bust.fillPolygon({{22, 46}, {34, 46}, {28, 50}}, colour::darkRed);
    bust.fillRect(24, 46, 2, 3, colour::white);
    bust.fillRect(31, 46, 2, 3, colour::white);
  } else {
    const bool skeleton = look.build == Build::Skeleton;
    const Ramp body = look.armour == Armour::Plate ? ramp::metal : skeleton ? ramp::bone : look.tunic;
    if (look.weapon == Weapon::Staff || look.weapon == Weapon::Spear) {
      Look held = look;
      drawWeapon(bust, held, 47, 52, 1, false, 1.6);
    }
    if (look.weapon == Weapon::Bow) drawWeapon(bust, look, 45, 40, 1, true, 1.4);
    if (look.weapon == Weapon::Sword || look.weapon == Weapon::Axe)
      bust.line(10, 62, 5, 30, ramp::metal.at(0.8), 3.0);
    if (look.hasCloak) bust.fillPolygon({{2, 65}, {8, 46}, {48, 46}, {54, 65}}, look.cloak.at(0.4));
    const double w = std::clamp(look.breadth, 0.9, 1.3);
    bust.fillPolygon({{28 - 24 * w, 65}, {28 - 15 * w, 47}, {28 + 15 * w, 47}, {28 + 24 * w, 65}},
                     body.at(0.5));
    bust.fillPolygon({{28 - 15 * w, 47}, {28 - 9 * w, 47}, {28 - 16 * w, 65}, {28 - 24 * w, 65}},
                     body.at(0.7));
    if (look.armour == Armour::Mail) bust.ditherRect(8, 48, 40, 17, ramp::metal.at(0.75));
    if (look.armour == Armour::Leather) bust.line(14, 50, 40, 65, ramp::wood.at(0.3), 3);
    if (skeleton)
      for (int y = 51; y < 65; y += 4) bust.fillRect(16, y, 24, 2, ramp::bone.at(0.2));
    bust.fillRect(23, 40, 10, 8, skeleton ? ramp::bone.at(0.5) : look.skin.at(look.skinTone - 0.15));
    if (look.armour == Armour::Robe || look.armour == Armour::None)
      bust.fillPolygon({{21, 47}, {35, 47}, {28, 56}}, look.skin.at(look.skinTone - 0.1));
    if (look.shield) drawShield(bust, look, 44, 58, 1.8);
    drawHead(bust, look, 28, 29, 13.5, Facing::Down, {true});
  }
  bust.outline(colour::outline);
  p.blit(bust, 0, 0);
  p.frameRect(0, 0, 56, 65, colour::outline);
  return p;
}

Canvas characterSheet(const Look& look) {
  Canvas sheet(SHEET_WIDTH, SHEET_HEIGHT, colour::magenta);
  const Facing order[4] = {Facing::Down, Facing::Up, Facing::Left, Facing::Right};
  namespace characters = pictures::characters;
  for (int c = 0; c < characters::kFacings; ++c) {
    const pictures::SheetCell cell = characters::facing(c);
    sheet.fillRect(cell.left(), cell.top(), cell.width, cell.height, 0);
    sheet.blit(drawFigure(look, order[c]), cell.left(), cell.top());
  }
  const pictures::SheetCell& portrait = characters::kPortrait;
  sheet.fillRect(portrait.left(), portrait.top(), portrait.width, portrait.height, 0);
  sheet.blit(drawPortrait(look), portrait.left(), portrait.top());
  return sheet;
}

}  // namespace varnholt::art
