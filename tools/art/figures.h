#pragma once
// The characters' sprite sheets: four facings (down, up, left, right) in 56 x 56 cells and a 56 x 65
// portrait, drawn from a short description of each character's look. A look names colours by ramp and
// shapes by kind, so every party member and opponent reads apart by silhouette and colour.

#include <string>
#include <vector>

#include "art/canvas.h"
#include "data/campaign_pictures.h"

namespace varnholt::art {

enum class Build { Humanoid, Wolf, Skeleton };
enum class Armour { None, Mail, Plate, Robe, Leather };
enum class Headgear { None, Helm, Hood, PointedHat, HornedHelm, Crown, Bandana };
enum class Ears { Round, Pointed, Cat, Long };
enum class Hair { None, Short, Long, Wild, Braid };
enum class Weapon { Sword, Staff, Spear, Bow, Axe, Claws };
enum class Facing { Down, Up, Left, Right };

struct Look {
  Build build = Build::Humanoid;
  double height = 1.0;  // 1 is a human; dwarves and halflings are smaller, trolls larger
  double breadth = 1.0;
  Ramp skin = ramp::skin;
  double skinTone = 0.6;
  Ramp hairRamp = ramp::wood;
  double hairTone = 0.4;
  Hair hair = Hair::Short;
  bool beard = false;
  Ramp tunic = ramp::blue;
  Ramp legs = ramp::wood;
  Ramp cloak = ramp::red;
  bool hasCloak = false;
  Armour armour = Armour::None;
  Headgear headgear = Headgear::None;
  Ramp headgearRamp = ramp::metal;
  Ears ears = Ears::Round;
  bool tail = false;
  bool snout = false;
  bool tusks = false;
  bool shield = false;
  Weapon weapon = Weapon::Sword;
  int eyes = colour::outline;
  Ramp backdrop = ramp::blue;  // the portrait's background
};

// One 56 x 56 frame of the figure.
Canvas drawFigure(const Look& look, Facing facing);
// The 56 x 65 head-and-shoulders portrait.
Canvas drawPortrait(const Look& look);

// The sheet: cells 0 to 3 of a 56 x 56 grid (down, up, left, right) and the portrait in cell 4 of a
// 56 x 65 grid, one-pixel lines around every cell; 288 x 67 pixels.
Canvas characterSheet(const Look& look);

// The sheet's cells, the closing line and the width rounded up to a multiple of 4.
inline constexpr int SHEET_WIDTH = (pictures::characters::kPortrait.right() + 1 + 3) / 4 * 4;
inline constexpr int SHEET_HEIGHT = pictures::characters::kPortrait.bottom() + 1;
static_assert(SHEET_WIDTH == 288 && SHEET_HEIGHT == 67);

}  // namespace varnholt::art
