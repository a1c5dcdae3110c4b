// The campaign's pictures. Layout constants mirror where the game draws on each screen: the title's
// menu cursor, the party screen's portraits, message line and status panel, the battlefield's 38-pixel
// grid, command bar, panels and turn line, and the cell grids of the sprite sheets.

#include "art/pictures.h"

#include <cmath>
#include <fstream>

#include "art/looks.h"
#include "data/grid_geometry.h"

namespace varnholt::art {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Battlefield geometry: the boxes of the cells the grid cursor, the cell markers and the unit sprites
// stand on.
constexpr int kGridLeft = cellBoxLeft(1);
constexpr int kGridTop = cellBoxTop(1);
constexpr int kCell = kCellPixels;
constexpr int kCells = kGridCells;

// The size of a sheet that holds the cells of a catalogue entry.
Canvas sheetCanvas(const char* file, int background) {
  for (const pictures::PictureUse& use : pictures::fixedPictureUses())
    if (use.file == file) {
      const pictures::Extent extent = pictures::extentOf(use);
      return Canvas(sheetWidth(extent.width), sheetHeight(extent.height), background);
    }
  return Canvas(4, 1);
}

// A small deterministic hash for scattering texture without a random generator.
unsigned scatter(int x, int y, unsigned seed) {
  unsigned h =
      static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

void panel(Canvas& c, int x, int y, int w, int h) {
  c.fillRect(x, y, w, h, ramp::parchment.at(0.85));
  for (int j = y + 2; j < y + h - 2; ++j)
    for (int i = x + 2; i < x + w - 2; ++i)
      if (scatter(i, j, 7) % 23 == 0) c.set(i, j, ramp::parchment.at(0.7));
  c.frameRect(x, y, w, h, ramp::wood.at(0.2), 2);
  c.frameRect(x + 2, y + 2, w - 4, h - 4, colour::goldDark - 2);
}

TextStyle style(Face face, int size, int colourIndex, int outlineIndex = -1, int shadowIndex = -1) {
  TextStyle s;
  s.face = face;
  s.size = size;
  s.colour = colourIndex;
  s.outline = outlineIndex;
  s.shadow = shadowIndex;
  return s;
}

const TextStyle kTitleGold =
    style(Face::SerifBold, 72, colour::goldLight + 1, colour::outline, ramp::wood.at(0.1));
const TextStyle kHeading =
    style(Face::SerifBold, 30, colour::goldLight + 1, colour::outline, colour::outline);
const TextStyle kPage = style(Face::Sans, 17, colour::ink);
const TextStyle kPageBold = style(Face::SansBold, 17, ramp::red.at(0.25));
const TextStyle kSmallLight = style(Face::Sans, 13, ramp::parchment.at(0.95));
const TextStyle kHint = style(Face::SansBold, 14, colour::goldLight, colour::outline);

// Sky, far hills, near hills and a meadow: the backdrop of the story pictures.
void landscape(Canvas& c, int height, double dusk, unsigned seed) {
  c.gradient(0, 0, c.width(), height * 55 / 100, ramp::sky, 0.35 - dusk * 0.3, 0.85 - dusk * 0.4);
  const int horizon = height * 55 / 100;
  c.fillRect(0, horizon, c.width(), height - horizon, ramp::sky.at(0.85 - dusk * 0.4));
  std::vector<Point> far{{0, static_cast<double>(height)}};
  for (int x = 0; x <= c.width(); x += 20)
    far.push_back({static_cast<double>(x),
                   horizon - 40 - 35 * std::sin(x * 0.011 + seed) - 15 * std::sin(x * 0.037 + seed * 2)});
  far.push_back({static_cast<double>(c.width()), static_cast<double>(height)});
  c.fillPolygon(far, ramp::stone.at(0.45 - dusk * 0.25));
  std::vector<Point> near{{0, static_cast<double>(height)}};
  for (int x = 0; x <= c.width(); x += 16)
    near.push_back({static_cast<double>(x), horizon + 10 - 18 * std::sin(x * 0.008 + seed * 3)});
  near.push_back({static_cast<double>(c.width()), static_cast<double>(height)});
  c.fillPolygon(near, ramp::grass.at(0.35 - dusk * 0.2));
  for (int j = horizon; j < height; ++j)
    for (int i = 0; i < c.width(); ++i)
      if (c.at(i, j) == ramp::grass.at(0.35 - dusk * 0.2) && scatter(i, j, seed) % 9 == 0)
        c.set(i, j, ramp::grass.at(0.5 - dusk * 0.2));
}

// The keep on its hill: walls, towers with pointed roofs, lit windows.
void keep(Canvas& c, double x, int baseY, double scale, int wallIndex, int roofIndex, int windowIndex) {
  auto rect = [&](double rx, double ry, double w, double h, int index) {
    c.fillRect(static_cast<int>(x + rx * scale), static_cast<int>(baseY - ry * scale),
               static_cast<int>(w * scale), static_cast<int>(h * scale), index);
  };
  rect(-60, 50, 120, 50, wallIndex);
  for (int k = -60; k < 60; k += 12) rect(k, 58, 7, 8, wallIndex);
  for (int side : {-1, 1}) {
    rect(side * 70 - 13, 95, 26, 95, wallIndex);
    c.fillPolygon({{x + (side * 70 - 17) * scale, baseY - 95 * scale},
                   {x + (side * 70 + 17) * scale, baseY - 95 * scale},
                   {x + side * 70 * scale, baseY - 135 * scale}},
                  roofIndex);
    rect(side * 70 - 3, 75, 6, 10, windowIndex);
  }
  rect(-16, 120, 32, 120, wallIndex);
  c.fillPolygon({{x - 22 * scale, baseY - 120 * scale},
                 {x + 22 * scale, baseY - 120 * scale},
                 {x, baseY - 170 * scale}},
                roofIndex);
  rect(-4, 100, 8, 12, windowIndex);
  rect(-10, 25, 20, 25, colour::outline);
  c.line(x, baseY - 170 * scale, x, baseY - 190 * scale, colour::outline, 2);
  c.fillPolygon({{x, baseY - 190 * scale}, {x + 16 * scale, baseY - 185 * scale}, {x, baseY - 180 * scale}},
                colour::pureRed);
}

void blitScaled(Canvas& target, const Canvas& source, int x, int y, int factor) {
  for (int j = 0; j < source.height(); ++j)
    for (int i = 0; i < source.width(); ++i)
      if (source.at(i, j) != 0)
        target.fillRect(x + i * factor, y + j * factor, factor, factor, source.at(i, j));
}

const Look& lookOf(const std::string& name) {
  for (const auto& l : campaignLooks())
    if (l.fileName == name) return l.look;
  return campaignLooks().front().look;
}

// A right-pointing arrow whose tip is at (tipX, centreY).
void arrow(Canvas& c, int tipX, int centreY, int length, int index) {
  c.fillPolygon({{tipX - length + 0.0, centreY - 4.0},
                 {tipX - 12.0, centreY - 4.0},
                 {tipX - 12.0, centreY - 9.0},
                 {tipX + 0.0, centreY + 0.5},
                 {tipX - 12.0, centreY + 10.0},
                 {tipX - 12.0, centreY + 5.0},
                 {tipX - length + 0.0, centreY + 5.0}},
                index);
}

void corners(Canvas& c, int x, int y, int w, int h, int arm, int index, int thickness) {
  for (int t = 0; t < thickness; ++t) {
    c.fillRect(x, y + t, arm, 1, index);
    c.fillRect(x + t, y, 1, arm, index);
    c.fillRect(x + w - arm, y + t, arm, 1, index);
    c.fillRect(x + w - 1 - t, y, 1, arm, index);
    c.fillRect(x, y + h - 1 - t, arm, 1, index);
    c.fillRect(x + t, y + h - arm, 1, arm, index);
    c.fillRect(x + w - arm, y + h - 1 - t, arm, 1, index);
    c.fillRect(x + w - 1 - t, y + h - arm, 1, arm, index);
  }
}

Canvas title(TextPainter& text) {
  Canvas c(SCREEN_WIDTH, SCREEN_HEIGHT);
  landscape(c, SCREEN_HEIGHT, 0.25, 3);
  keep(c, 600, 420, 1.3, ramp::stone.at(0.3), ramp::red.at(0.3), colour::goldLight + 1);
  text.draw(c, kTitleGold, 400, 8, "VARNHOLT", Align::Centre);
  // The menu: the cursor stands at (150, 100) and (150, 150) and points at the entries.
  panel(c, 140, 96, 190, 104);
  const TextStyle entry = style(Face::SerifBold, 24, colour::ink);
  text.draw(c, entry, 212, 104, "Begin");
  text.draw(c, entry, 212, 154, "Intro");
  text.draw(c, style(Face::SerifBold, 20, ramp::parchment.at(0.95), colour::outline), 400, 540,
            "Five battles stand between you and the keep.", Align::Centre);
  text.draw(c, kHint, 400, 572, "Up / Down: choose     Enter: confirm     Esc: quit", Align::Centre);
  return c;
}

Canvas dinner(TextPainter& text) {
  Canvas c(SCREEN_WIDTH, SCREEN_HEIGHT);
  c.gradient(0, 0, 800, 600, ramp::wood, 0.25, 0.05);
  // A round table seen from above: a cloth, two plates, a loaf and a candle.
  c.shadeEllipse(400, 300, 230, 150, ramp::wood, 0.25, 0.6);
  c.fillEllipse(400, 300, 200, 126, ramp::red.at(0.45));
  c.fillEllipse(400, 300, 180, 110, ramp::red.at(0.5));
  for (int s : {-1, 1}) {
    c.shadeEllipse(400 + s * 110, 300, 46, 34, ramp::bone, 0.6, 1.0);
    c.fillEllipse(400 + s * 110, 300, 30, 22, ramp::bone.at(0.75));
    c.line(400 + s * 170, 270, 400 + s * 170, 330, ramp::metal.at(0.8), 3);
  }
  c.shadeEllipse(400, 255, 40, 18, ramp::wood, 0.45, 0.85);
  c.fillRect(392, 300, 16, 34, ramp::bone.at(0.9));
  c.shadeEllipse(400, 292, 9, 15, ramp::fire, 0.6, 1.0);
  text.draw(c, style(Face::SerifBold, 52, colour::goldLight + 1, colour::outline, colour::outline), 400, 40,
            "Hearthside Studio", Align::Centre);
  text.draw(c, style(Face::SerifBold, 24, ramp::parchment.at(0.9), colour::outline), 400, 470,
            "games made around the kitchen table", Align::Centre);
  text.draw(c, style(Face::Sans, 20, ramp::parchment.at(0.8)), 400, 520, "presents", Align::Centre);
  return c;
}

Canvas llama(TextPainter& text) {
  Canvas c(SCREEN_WIDTH, SCREEN_HEIGHT);
  c.gradient(0, 0, 800, 600, ramp::sky, 0.15, 0.45);
  // Pixel-art llama, one character per 10 x 10 block: W wool, w shaded wool, e eye, h hoof, n nose.
  static const char* const kLlama[] = {"......WW..", "......WW..", ".....WWWW.", ".....WeWWn", ".....WWWWW",
                                       ".....WWW..", ".....WWW..", ".....WWW..", ".....WWW..", "WWWWWWWWW.",
                                       "WWWWWWWWWW", "wWWWWWWWWw", "wwWWWWWWww", ".ww....ww.", ".ww....ww.",
                                       ".ww....ww.", ".hh....hh."};
  const int size = 14, left = 400 - 5 * size, top = 90;
  for (int row = 0; row < 17; ++row)
    for (int col = 0; kLlama[row][col] != '\0'; ++col) {
      const char k = kLlama[row][col];
      const int index = k == 'W'   ? ramp::bone.at(0.9)
                        : k == 'w' ? ramp::bone.at(0.6)
                        : k == 'e' ? colour::outline
                        : k == 'h' ? ramp::wood.at(0.2)
                        : k == 'n' ? ramp::red.at(0.6)
                                   : 0;
      if (index != 0) c.fillRect(left + col * size, top + row * size, size, size, index);
    }
  // A blanket of engine colours over its back.
  for (int k = 0; k < 7; ++k)
    c.fillRect(left + (1 + k) * size, top + 9 * size, size, size, ramp::red.at(0.3 + 0.1 * (k % 3)));
  text.draw(c, style(Face::SerifBold, 56, ramp::bone.at(0.95), colour::outline, ramp::sky.at(0.1)), 400, 360,
            "Woolly Engine", Align::Centre);
  text.draw(c, style(Face::SansBold, 22, colour::goldLight, colour::outline), 400, 440,
            "256 colours, one thread, no excuses", Align::Centre);
  text.draw(c, style(Face::Sans, 18, ramp::parchment.at(0.95)), 400, 500, "8-bit 2D engine", Align::Centre);
  return c;
}

// The road of the campaign with its five battles, drawn on a parchment map.
void campaignMap(Canvas& c, TextPainter& text, int x, int y, int w, int h) {
  panel(c, x, y, w, h);
  const Point stops[5] = {{x + 0.12 * w, y + 0.72 * h},
                          {x + 0.32 * w, y + 0.38 * h},
                          {x + 0.5 * w, y + 0.7 * h},
                          {x + 0.7 * w, y + 0.35 * h},
                          {x + 0.88 * w, y + 0.6 * h}};
  const char* names[5] = {"1 Mill Road", "2 Greywood", "3 Stonebridge", "4 Old Barrow", "5 Varnholt Keep"};
  for (int k = 0; k < 4; ++k)
    for (int s = 0; s < 20; s += 2) {
      const double t0 = s / 20.0, t1 = (s + 1) / 20.0;
      c.line(stops[k].x + (stops[k + 1].x - stops[k].x) * t0, stops[k].y + (stops[k + 1].y - stops[k].y) * t0,
             stops[k].x + (stops[k + 1].x - stops[k].x) * t1, stops[k].y + (stops[k + 1].y - stops[k].y) * t1,
             ramp::red.at(0.3), 3);
    }
  for (int k = 0; k < 5; ++k) {
    c.fillEllipse(stops[k].x, stops[k].y, 9, 9, colour::outline);
    c.fillEllipse(stops[k].x, stops[k].y, 7, 7, k == 4 ? ramp::red.at(0.5) : colour::goldLight + 2);
    text.draw(c, style(Face::SansBold, 14, colour::ink), static_cast<int>(stops[k].x),
              static_cast<int>(stops[k].y) + 12, names[k], Align::Centre);
  }
  keep(c, static_cast<int>(stops[4].x), static_cast<int>(stops[4].y) - 12, 0.25, ramp::stone.at(0.35),
       ramp::red.at(0.35), colour::goldLight);
}

Canvas load(TextPainter& text) {
  Canvas c(SCREEN_WIDTH, SCREEN_HEIGHT);
  c.gradient(0, 0, 800, 600, ramp::stone, 0.2, 0.05);
  campaignMap(c, text, 60, 110, 680, 330);
  text.draw(c, kHeading, 400, 40, "The Road to Varnholt", Align::Centre);
  text.draw(c, style(Face::SansBold, 22, ramp::parchment.at(0.95), colour::outline), 400, 480, "Loading...",
            Align::Centre);
  text.draw(c, style(Face::Sans, 16, ramp::parchment.at(0.8)), 400, 520,
            "Next you will choose five of the eight companions.", Align::Centre);
  return c;
}

// A story page: an illustration above, the text on parchment below, and how to go on.
Canvas storyPage(TextPainter& text, const std::string& heading, const std::vector<std::string>& lines,
                 int page) {
  Canvas c(SCREEN_WIDTH, SCREEN_HEIGHT);
  c.fillRect(0, 0, 800, 600, ramp::wood.at(0.12));
  panel(c, 30, 318, 740, 250);
  text.draw(c, style(Face::SerifBold, 24, ramp::red.at(0.2)), 60, 330, heading);
  text.drawLines(c, kPage, 60, 368, 24, lines);
  char footer[64];
  std::snprintf(footer, sizeof footer, "Page %d of 4     Enter: %s", page,
                page == 4 ? "back to the title" : "next page");
  text.draw(c, kHint, 400, 576, footer, Align::Centre);
  return c;
}

Canvas intro1(TextPainter& text) {
  Canvas c = storyPage(text, "The fall of Varnholt",
                       {"For a hundred years the keep of Varnholt guarded the valley and its Mill Road.",
                        "Last winter the orc warlord Korrath came down from the passes with trolls and",
                        "sellswords, took the keep in a single night and raised his red banner over it.",
                        "Now goblins raid the road, wolves run in Greywood, bandits hold the bridge and",
                        "the dead stir in the Old Barrow. The valley has no army left. It has you."},
                       1);
  Canvas art(740, 280);
  landscape(art, 280, 0.8, 5);
  art.fillEllipse(600, 50, 26, 26, ramp::bone.at(0.95));
  for (int k = 0; k < 60; ++k)
    art.set(static_cast<int>(scatter(k, 1, 9) % 740), static_cast<int>(scatter(k, 2, 9) % 120),
            colour::white);
  keep(art, 370, 200, 1.0, ramp::stone.at(0.15), colour::darkRed, colour::pureRed);
  for (int k = 0; k < 12; ++k)
    art.fillEllipse(330 + k * 7, 110 - (k % 3) * 6, 6, 5, ramp::fire.at(0.3 + 0.05 * (k % 4)));
  art.frameRect(0, 0, 740, 280, colour::goldDark);
  c.blit(art, 30, 22);
  return c;
}

Canvas intro2(TextPainter& text) {
  Canvas c = storyPage(text, "The company",
                       {"Eight answered the call: Aldric the knight, Sylva the elf ranger, Morwen the gnome",
                        "mage, Brannoc the dwarf cleric, Ssareth the saurian lancer, Pip the halfling rogue,",
                        "Grusk the orc warden and Miro the felkin skald. Before each battle you choose five",
                        "of them. Those who fight and live rise by one level after every victory; those who",
                        "fall miss it. The foes always march on Aldric first: he is the one they fear."},
                       2);
  Canvas art(740, 280);
  art.gradient(0, 0, 740, 280, ramp::sky, 0.55, 0.85);
  art.fillRect(0, 200, 740, 80, ramp::grass.at(0.45));
  const char* party[8] = {"aldric.bmp",  "sylva.bmp", "morwen.bmp", "brannoc.bmp",
                          "ssareth.bmp", "pip.bmp",   "grusk.bmp",  "miro.bmp"};
  const char* names[8] = {"Aldric", "Sylva", "Morwen", "Brannoc", "Ssareth", "Pip", "Grusk", "Miro"};
  for (int k = 0; k < 8; ++k) {
    blitScaled(art, drawFigure(lookOf(party[k]), Facing::Down), 6 + k * 91, 96, 2);
    text.draw(art, style(Face::SansBold, 14, colour::white, colour::outline), 6 + k * 91 + 52, 254, names[k],
              Align::Centre);
  }
  art.frameRect(0, 0, 740, 280, colour::goldDark);
  c.blit(art, 30, 22);
  return c;
}

Canvas intro3(TextPainter& text) {
  Canvas c = storyPage(text, "How a battle turns",
                       {"Turns pass along the line of fighters, not by speed. The foe listed first moves",
                        "first, then the companion you chose last; those two take turns until a blow falls",
                        "on the one whose turn is next, or someone falls. Choose your last companion well",
                        "and keep them out of the reach of the foe who moves next. If all who remain are",
                        "too slow to move (speeds under 100 in all), End finishes the turn of the last one."},
                       3);
  Canvas art(740, 280);
  campaignMap(art, text, 0, 0, 740, 280);
  c.blit(art, 30, 22);
  return c;
}

Canvas intro4(TextPainter& text) {
  Canvas c = storyPage(text, "Keys",
                       {"Title and party: Left / Right or Up / Down move the cursor, Enter chooses.",
                        "Battle: each turn opens the command bar: Left / Right pick a button, Enter presses.",
                        "    Attack and Move: pick a marked cell with the arrows, then Enter.",
                        "    End: ends the turn.   Skill: pick a skill, Enter, then its target cell.",
                        "Backspace returns to the command bar. Escape or Space quits the game."},
                       4);
  Canvas art(740, 280);
  art.fillRect(0, 0, 740, 280, ramp::stone.at(0.2));
  auto key = [&](int x, int y, int w, const char* label) {
    art.fillRect(x, y, w, 44, ramp::stone.at(0.85));
    art.fillRect(x + 3, y + 3, w - 6, 34, ramp::stone.at(0.95));
    art.frameRect(x, y, w, 44, colour::outline, 2);
    text.draw(art, style(Face::SansBold, 16, colour::ink), x + w / 2, y + 11, label, Align::Centre);
  };
  key(96, 60, 60, "Up");
  key(30, 110, 62, "Left");
  key(96, 110, 60, "Down");
  key(160, 110, 62, "Right");
  key(250, 84, 90, "Enter");
  key(360, 84, 120, "Backspace");
  key(500, 84, 60, "Esc");
  key(580, 84, 130, "Space");
  text.draw(art, style(Face::Sans, 15, ramp::parchment.at(0.95)), 126, 164, "move", Align::Centre);
  text.draw(art, style(Face::Sans, 15, ramp::parchment.at(0.95)), 295, 134, "choose", Align::Centre);
  text.draw(art, style(Face::Sans, 15, ramp::parchment.at(0.95)), 420, 134, "command bar", Align::Centre);
  text.draw(art, style(Face::Sans, 15, ramp::parchment.at(0.95)), 605, 134, "quit (either)", Align::Centre);
  text.draw(art, style(Face::SansBold, 18, colour::goldLight, colour::outline), 370, 210,
            "Attack     Move     End     Skill", Align::Centre);
  art.frameRect(0, 0, 740, 280, colour::goldDark);
  c.blit(art, 30, 22);
  return c;
}

Canvas select(TextPainter& text) {
  Canvas c(SCREEN_WIDTH, SCREEN_HEIGHT);
  c.gradient(0, 0, 800, 600, ramp::wood, 0.22, 0.08);
  text.draw(c, kHeading, 260, 20, "Choose your company", Align::Centre);
  // The eight portraits stand at (50 + 50 k, 100), 56 x 56; the cursor at (45 + 50 k, 100).
  panel(c, 38, 90, 482, 78);
  for (int k = 0; k < 8; ++k) c.fillEllipse(50 + 50 * k + 27, 150, 18, 5, ramp::parchment.at(0.55));
  // The message line at (50, 250) and the status panel at (0, 301) are drawn in dark ink.
  panel(c, 40, 240, 300, 30);
  panel(c, 0, 292, 420, 150);
  panel(c, 532, 90, 256, 500);
  const TextStyle body = style(Face::Sans, 15, colour::ink);
  text.draw(c, style(Face::SansBold, 18, ramp::red.at(0.25)), 548, 104, "How to choose");
  text.drawLines(c, body, 548, 134, 20,
                 {"Left / Right: look at a", "companion; their details", "show below the portraits.", "",
                  "Enter: add them to the", "coming battle. Five must", "be chosen; a choice cannot",
                  "be taken back.", "", "The companion you choose", "last is the first of your",
                  "side to act.", "", "Foes march on Aldric", "when they can reach him.", "",
                  "After a victory, everyone", "who fought and lived", "gains one level."});
  text.draw(c, style(Face::SansBold, 14, ramp::parchment.at(0.9)), 50, 176, "Chosen companions stand on the",
            Align::Left);
  text.draw(c, style(Face::SansBold, 14, ramp::parchment.at(0.9)), 50, 194, "field at random free places.",
            Align::Left);
  text.draw(c, kHint, 260, 460, "Left / Right: look     Enter: add     Esc: quit", Align::Centre);
  // A battle scene below: the company facing the road.
  Canvas scene(500, 110);
  landscape(scene, 110, 0.1, 11);
  c.blit(scene, 20, 484);
  c.frameRect(20, 484, 500, 110, colour::goldDark);
  return c;
}

Canvas battlefield(TextPainter& text) {
  Canvas c(SCREEN_WIDTH, SCREEN_HEIGHT);
  c.gradient(0, 0, 800, 600, ramp::wood, 0.2, 0.08);
  // The message line at (0, 0).
  c.fillRect(0, 0, 398, 18, ramp::parchment.at(0.85));
  c.fillRect(0, 18, 398, 2, ramp::wood.at(0.2));
  text.draw(c, style(Face::SansBold, 13, ramp::parchment.at(0.85)), 8, 26,
            "Arrows: cursor    Enter: act    Backspace: commands");
  // The field: grass with tufts, a stone rim, and the grid on the cells the units stand on.
  c.fillRect(kGridLeft - 3, kGridTop - 3, kCells * kCell + 7, kCells * kCell + 7, ramp::stone.at(0.35));
  c.frameRect(kGridLeft - 3, kGridTop - 3, kCells * kCell + 7, kCells * kCell + 7, colour::outline);
  for (int j = 0; j < kCells * kCell; ++j)
    for (int i = 0; i < kCells * kCell; ++i) {
      const unsigned h = scatter(i, j, 21);
      const int cellShade = ((i / kCell) + (j / kCell)) % 2;
      int index = ramp::grass.at(cellShade ? 0.5 : 0.56);
      if (h % 17 == 0) index = ramp::grass.at(0.7);
      if (h % 29 == 0) index = ramp::grass.at(0.35);
      c.set(kGridLeft + i, kGridTop + j, index);
    }
  for (int k = 0; k <= kCells; ++k) {
    c.fillRect(kGridLeft + k * kCell, kGridTop, 1, kCells * kCell, ramp::grass.at(0.22));
    c.fillRect(kGridLeft, kGridTop + k * kCell, kCells * kCell, 1, ramp::grass.at(0.22));
  }
  c.fillRect(kGridLeft + kCells * kCell, kGridTop, 1, kCells * kCell + 1, ramp::grass.at(0.22));
  // Column and row numbers along the rim would sit under the sprites; the rim stays plain.
  // The command bar: four buttons at (100 i, 500).
  c.fillRect(0, 494, 364, 66, ramp::stone.at(0.15));
  c.frameRect(0, 494, 364, 66, colour::goldDark);
  for (int i = 0; i < 4; ++i) c.fillRect(100 * i, 500, 56, 56, ramp::stone.at(0.3));
  // The turn line at (0, 568) in gold.
  c.fillRect(0, 562, 364, 38, colour::nightBlue);
  c.frameRect(0, 562, 364, 38, colour::goldDark);
  // The panels: the acting combatant at (400, 0), the one under the cursor at (400, 200), the skills.
  panel(c, 398, 0, 402, 140);
  panel(c, 398, 198, 402, 140);
  panel(c, 384, 386, 416, 214);
  const TextStyle label = style(Face::SansBold, 14, colour::goldLight, colour::outline);
  text.draw(c, label, 410, 146, "Acting now (above)");
  text.draw(c, label, 410, 176, "Under the cursor (below)");
  text.draw(c, label, 410, 344, "Skills: pick with Up / Down, Enter");
  return c;
}

Canvas buttons(TextPainter& text) {
  Canvas c = sheetCanvas(pictures::buttons::kFile, colour::magenta);
  struct Button {
    const char* label;
    Ramp tone;
  };
  const Button list[4] = {
      {"Attack", ramp::red}, {"Move", ramp::green}, {"End", ramp::blue}, {"Skill", ramp::purple}};
  for (int i = 0; i < pictures::buttons::kCount; ++i) {
    const int x = pictures::buttons::cell(i).left(), y = pictures::buttons::cell(i).top();
    Canvas b(56, 56);
    b.fillRect(1, 1, 54, 54, list[i].tone.at(0.45));
    b.fillRect(1, 1, 54, 2, list[i].tone.at(0.75));
    b.fillRect(1, 1, 2, 54, list[i].tone.at(0.7));
    b.fillRect(1, 53, 54, 2, list[i].tone.at(0.2));
    b.fillRect(53, 1, 2, 54, list[i].tone.at(0.25));
    b.frameRect(0, 0, 56, 56, colour::outline);
    const int light = colour::white, dark = colour::outline;
    switch (i) {
      case 0:  // a sword
        b.line(16, 32, 38, 8, dark, 5);
        b.line(16, 32, 38, 8, ramp::metal.at(0.9), 3);
        b.line(12, 26, 22, 36, colour::goldLight + 2, 3);
        b.line(10, 38, 15, 33, ramp::wood.at(0.3), 3);
        break;
      case 1:  // a boot with motion lines
        b.fillPolygon({{22, 8}, {32, 8}, {32, 24}, {42, 28}, {42, 34}, {20, 34}}, dark);
        b.fillPolygon({{23, 9}, {31, 9}, {31, 25}, {41, 29}, {41, 33}, {21, 33}}, ramp::wood.at(0.55));
        for (int k = 0; k < 3; ++k) b.line(8, 14 + k * 7, 17, 14 + k * 7, light, 2);
        break;
      case 2:  // an hourglass
        b.fillPolygon({{17, 8}, {39, 8}, {29, 21}, {39, 34}, {17, 34}, {27, 21}}, dark);
        b.fillPolygon({{20, 10}, {36, 10}, {28, 20}}, ramp::bone.at(0.9));
        b.fillPolygon({{28, 25}, {36, 32}, {20, 32}}, colour::goldLight + 2);
        b.fillRect(15, 6, 26, 3, ramp::wood.at(0.35));
        b.fillRect(15, 34, 26, 3, ramp::wood.at(0.35));
        break;
      case 3:  // a star burst
        for (int k = 0; k < 8; ++k) {
          const double a = k * kPi / 4;
          b.line(28, 21, 28 + 14 * std::cos(a), 21 + 14 * std::sin(a),
                 k % 2 ? ramp::ice.at(0.9) : colour::goldLight, 3);
        }
        b.shadeEllipse(28, 21, 6, 6, ramp::ice, 0.6, 1.0);
        break;
    }
    text.draw(b, style(Face::SansBold, 11, colour::white, colour::outline), 28, 39, list[i].label,
              Align::Centre);
    c.fillRect(x, y, 56, 56, 0);
    c.blit(b, x, y);
  }
  return c;
}

Canvas cursors() {
  namespace cursors = pictures::cursors;
  Canvas c = sheetCanvas(cursors::kFile, colour::magenta);
  for (int n = 0; n < cursors::kCount; ++n)
    c.fillRect(cursors::cell(n).left(), cursors::cell(n).top(), cursors::kCellWidth, cursors::kCellHeight, 0);
  auto cell = [&](int n) { return Point{double(cursors::cell(n).left()), double(cursors::cell(n).top())}; };
  // Where the cell's box lies in a cursor cell drawn at the cell's marker position (x 10..47, y 0..37).
  const int boxX = cellBoxLeft(1) - markerPixelX(1), boxY = cellBoxTop(1) - markerPixelY(1);
  // The grid cursor, bright brackets just outside the cell box.
  {
    Canvas k(56, 40);
    corners(k, boxX - 2, boxY, kCell + 4, 40, 12, colour::pureYellow, 3);
    k.outline(colour::outline);
    c.blit(k, static_cast<int>(cell(cursors::kGridCursor).x), 1);
  }
  // The command bar cursor, brackets round the lower part of a 56-pixel button.
  {
    Canvas k(56, 40);
    corners(k, 1, 1, 54, 38, 10, colour::pureYellow, 3);
    k.outline(colour::outline);
    c.blit(k, static_cast<int>(cell(cursors::kCommandBarCursor).x), 1);
  }
  // The cell marker, a checkered tint with a rim over the cell box.
  {
    Canvas k(56, 40);
    k.ditherRect(boxX, boxY, kCell, kCell, colour::cyan);
    k.frameRect(boxX, boxY, kCell, kCell, ramp::ice.at(0.95));
    c.blit(k, static_cast<int>(cell(cursors::kCellMarker).x), 1);
  }
  // The menu and skill list arrow, its tip beside text drawn 60 pixels right and 10 down.
  {
    Canvas k(56, 40);
    arrow(k, 52, 17, 34, colour::goldLight + 1);
    k.outline(colour::outline);
    c.blit(k, static_cast<int>(cell(cursors::kMenuArrow).x), 1);
  }
  // The party screen cursor, brackets over a portrait that starts 5 pixels to its right.
  {
    Canvas k(56, 40);
    corners(k, 3, 0, 53, 40, 11, colour::pureYellow, 3);
    k.fillPolygon({{22, 0}, {34, 0}, {28, 6}}, colour::pureYellow);
    k.outline(colour::outline);
    c.blit(k, static_cast<int>(cell(cursors::kPartyCursor).x), 1);
  }
  return c;
}

Canvas swords() {
  Canvas c = sheetCanvas(pictures::swings::kFile, colour::magenta);
  // Rows: 0 slash (weapon 1), 1 arrow (weapon 4), 2 spell (weapon 2), 3 thrust (weapon 3).
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col) {
      Canvas k(56, 56);
      const double t = col / 2.0;
      switch (row) {
        case 0: {
          const double start = -0.9 + (1.0 - t) * 0.9, end = start + 1.3;
          for (double a = start; a <= end; a += 0.02) {
            const double x = 28 + 20 * std::cos(a * kPi / 2 - 0.4), y = 30 - 20 * std::sin(a * kPi / 2 - 0.4);
            k.fillEllipse(x, y, 2.5 + (a - start), 2.5 + (a - start),
                          ramp::metal.at(0.7 + 0.2 * (a - start) / 1.3));
          }
          k.outline(ramp::metal.at(0.3));
          break;
        }
        case 1: {
          const double x = 4 + t * 22;
          k.line(x, 34, x + 20, 26, ramp::wood.at(0.5), 2);
          k.fillPolygon({{x + 26, 24}, {x + 18, 23}, {x + 20, 29}}, ramp::metal.at(0.85));
          k.line(x - 2, 31, x + 3, 37, ramp::bone.at(0.95), 2);
          k.line(x - 2, 37, x + 3, 33, ramp::bone.at(0.95), 2);
          if (col == 2)
            for (int s = 0; s < 6; ++s)
              k.line(47, 24, 47 + 7 * std::cos(s * 1.05), 24 + 7 * std::sin(s * 1.05), colour::pureYellow,
                     1.5);
          k.outline(colour::outline);
          break;
        }
        case 2: {
          const double r = 5 + t * 9;
          k.shadeEllipse(28, 28, r, r, ramp::purple, 0.5, 1.0);
          k.shadeEllipse(28, 28, r * 0.55, r * 0.55, ramp::ice, 0.7, 1.0);
          for (int s = 0; s < 8; ++s) {
            const double a = s * kPi / 4 + t;
            k.set(static_cast<int>(28 + (r + 5) * std::cos(a)), static_cast<int>(28 + (r + 5) * std::sin(a)),
                  colour::white);
            k.set(static_cast<int>(29 + (r + 5) * std::cos(a)), static_cast<int>(28 + (r + 5) * std::sin(a)),
                  ramp::ice.at(0.9));
          }
          break;
        }
        case 3: {
          const double tip = 50 - t * 26;
          k.line(tip + 6, 30, 56, 30, ramp::wood.at(0.5), 3);
          k.fillPolygon({{tip - 6, 30}, {tip + 6, 25}, {tip + 6, 35}}, ramp::metal.at(0.85));
          for (int s = 0; s < 3; ++s) k.line(tip + 12, 22 + s * 8, tip + 24, 22 + s * 8, colour::white, 1);
          k.outline(colour::outline);
          break;
        }
      }
      const pictures::SheetCell at = pictures::swings::cell(col, row);
      c.fillRect(at.left(), at.top(), at.width, at.height, 0);
      c.blit(k, at.left(), at.top());
    }
  return c;
}

Canvas hits(TextPainter& text) {
  namespace hits = pictures::hits;
  Canvas c = sheetCanvas(hits::kFile, colour::magenta);
  const auto hitCell = [](int n) { return hits::cell(n, hits::kHitRow); };
  const auto missCell = [](int n) { return hits::cell(n, hits::kMissRow); };
  for (int n = 0; n < hits::kHitFrames; ++n) c.fillRect(hitCell(n).left(), hitCell(n).top(), 56, 72, 0);
  for (int n = 0; n < hits::kMissFrames; ++n) c.fillRect(missCell(n).left(), missCell(n).top(), 56, 72, 0);
  // The hit sprite stands 30 pixels right of the target's sprite: the burst sits on its left part.
  const double cx = 10, cy = 34;
  for (int n = 0; n < 4; ++n) {
    Canvas k(56, 72);
    const double r = n == 0 ? 7 : n == 1 ? 13 : n == 2 ? 15 : 11;
    std::vector<Point> star;
    for (int s = 0; s < 16; ++s) {
      const double a = s * kPi / 8 + n * 0.2;
      const double rr = s % 2 ? r * 0.45 : r;
      star.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
    }
    k.fillPolygon(star, n == 3 ? ramp::fire.at(0.5) : ramp::fire.at(0.75));
    k.fillEllipse(cx, cy, r * 0.35, r * 0.35, n == 3 ? ramp::fire.at(0.7) : colour::white);
    if (n >= 1)
      text.draw(k, style(Face::SansBold, 14, colour::pureYellow, colour::outline), 20, 6 - (n - 1) * 2,
                "Hit!");
    k.outline(colour::outline);
    c.blit(k, hitCell(n).left(), hitCell(n).top());
  }
  for (int n = 0; n < 5; ++n) {
    Canvas k(56, 72);
    const double spread = 3 + n * 2.5;
    for (int s = 0; s < 5; ++s) {
      const double a = s * 2 * kPi / 5;
      k.fillEllipse(cx + 4 + spread * std::cos(a), cy + spread * std::sin(a) * 0.7, 6 - n * 0.7, 5 - n * 0.6,
                    ramp::stone.at(0.85 - n * 0.08));
    }
    text.draw(k, style(Face::SansBold, 14, ramp::metal.at(0.95), colour::outline), 16, 8 - n * 2, "Miss");
    c.blit(k, missCell(n).left(), missCell(n).top());
  }
  return c;
}

// A result banner over the battle: everything but the banner stays index 0, so the battle shows
// through; the picture is read from pixel (1, 1).
Canvas resultBanner(TextPainter& text, const std::string& heading, Ramp tone,
                    const std::vector<std::string>& lines) {
  Canvas c(RESULT_WIDTH, RESULT_HEIGHT);
  const int x = 1 + 150, y = 1 + 200, w = 500, h = 190;
  c.gradient(x, y, w, h, tone, 0.35, 0.15);
  c.frameRect(x, y, w, h, colour::outline, 2);
  c.frameRect(x + 3, y + 3, w - 6, h - 6, colour::goldLight + 2, 2);
  text.draw(c, style(Face::SerifBold, 54, colour::goldLight + 1, colour::outline, colour::outline), 1 + 400,
            y + 18, heading, Align::Centre);
  text.drawLines(c, style(Face::SansBold, 17, colour::white, colour::outline), 1 + 400, y + 105, 24, lines,
                 Align::Centre);
  return c;
}

Canvas gameEnd(TextPainter& text) {
  Canvas c(RESULT_WIDTH, RESULT_HEIGHT);
  Canvas scene(SCREEN_WIDTH, SCREEN_HEIGHT);
  landscape(scene, 600, 0.0, 17);
  scene.fillEllipse(700, 150, 36, 36, colour::pureYellow);
  keep(scene, 400, 430, 1.5, ramp::stone.at(0.55), ramp::blue.at(0.45), colour::goldLight);
  scene.fillPolygon({{400, 145}, {430, 152}, {400, 160}}, ramp::blue.at(0.6));
  panel(scene, 100, 460, 600, 120);
  text.draw(scene, style(Face::SerifBold, 30, ramp::red.at(0.2)), 400, 470, "Varnholt is free",
            Align::Centre);
  text.drawLines(scene, kPage, 400, 512, 24,
                 {"Korrath has fallen and the blue banner flies over the keep again.",
                  "The valley will sing of your company. Thank you for playing."},
                 Align::Centre);
  text.draw(scene, kTitleGold, 400, 20, "VARNHOLT", Align::Centre);
  c.blit(scene, 1, 1);
  return c;
}

}  // namespace

std::vector<Picture> campaignPictures(TextPainter& text) {
  std::vector<Picture> list;
  list.push_back({pictures::kTitle, title(text)});
  list.push_back({pictures::kSplash[0], dinner(text)});
  list.push_back({pictures::kSplash[1], llama(text)});
  list.push_back({pictures::kSplash[2], load(text)});
  list.push_back({pictures::kIntroPages[0], intro1(text)});
  list.push_back({pictures::kIntroPages[1], intro2(text)});
  list.push_back({pictures::kIntroPages[2], intro3(text)});
  list.push_back({pictures::kIntroPages[3], intro4(text)});
  list.push_back({pictures::kSelection, select(text)});
  list.push_back({pictures::kBattlefield, battlefield(text)});
  list.push_back({pictures::buttons::kFile, buttons(text)});
  list.push_back({pictures::cursors::kFile, cursors()});
  list.push_back({pictures::swings::kFile, swords()});
  list.push_back({pictures::hits::kFile, hits(text)});
  list.push_back({pictures::kDefeat, resultBanner(text, "Defeat", ramp::red,
                                                  {"Your company has fallen.",
                                                   "The foes hold the field. Press Esc to leave."})});
  list.push_back({pictures::kVictory, resultBanner(text, "Victory!", ramp::blue,
                                                   {"Those who fought and live gain a level.",
                                                    "Choose your company for the next battle."})});
  list.push_back({pictures::kCampaignEnd, gameEnd(text)});
  for (const auto& l : campaignLooks()) list.push_back({l.fileName, characterSheet(l.look)});
  return list;
}

bool writeCampaignPictures(const std::string& folder, TextPainter& text, std::string& error) {
  if (!text.ready(error)) return false;
  for (const auto& p : campaignPictures(text)) {
    const std::string path = folder + "/" + p.fileName;
    if (!writeBmp(p.canvas, path)) {
      error = "cannot write " + path;
      return false;
    }
  }
  const std::string palettePath = folder + "/PALDATA2.PAL";
  std::ofstream out(palettePath, std::ios::binary);
  out << paletteFileText(campaignPalette());
  if (!out) {
    error = "cannot write " + palettePath;
    return false;
  }
  return true;
}

}  // namespace varnholt::art
