// The party and the opponents. Party members differ by race (skin, ears, height, tail) and class
// (colour, armour, weapon, headgear); opponents by kind, with leaders marked by a cloak or crown.

#include "art/looks.h"

namespace varnholt::art {

namespace {

std::vector<NamedLook> build() {
  std::vector<NamedLook> all;
  auto add = [&](std::string name, Look look) { all.push_back({std::move(name), look}); };

  Look aldric;  // human knight: blue tabard over plate, helm, sword and shield
  aldric.tunic = ramp::blue;
  aldric.armour = Armour::Plate;
  aldric.headgear = Headgear::Helm;
  aldric.shield = true;
  aldric.cloak = ramp::blue;
  aldric.hasCloak = true;
  aldric.legs = ramp::metal;
  aldric.hairRamp = ramp::wood;
  aldric.hairTone = 0.3;
  aldric.backdrop = ramp::blue;
  add("aldric.bmp", aldric);

  Look sylva;  // elf ranger: green hood, long pale hair, bow
  sylva.tunic = ramp::green;
  sylva.armour = Armour::Leather;
  sylva.headgear = Headgear::Hood;
  sylva.headgearRamp = ramp::green;
  sylva.ears = Ears::Pointed;
  sylva.hair = Hair::Long;
  sylva.hairRamp = ramp::bone;
  sylva.hairTone = 0.8;
  sylva.skinTone = 0.75;
  sylva.weapon = Weapon::Bow;
  sylva.height = 1.05;
  sylva.breadth = 0.9;
  sylva.legs = ramp::green;
  sylva.eyes = ramp::green.at(0.3);
  sylva.backdrop = ramp::green;
  add("sylva.bmp", sylva);

  Look morwen;  // gnome mage: purple robe and tall hat, staff with a frost orb
  morwen.tunic = ramp::purple;
  morwen.armour = Armour::Robe;
  morwen.headgear = Headgear::PointedHat;
  morwen.headgearRamp = ramp::purple;
  morwen.ears = Ears::Pointed;
  morwen.hair = Hair::Wild;
  morwen.hairRamp = ramp::fire;
  morwen.hairTone = 0.45;
  morwen.height = 0.8;
  morwen.weapon = Weapon::Staff;
  morwen.backdrop = ramp::purple;
  add("morwen.bmp", morwen);

  Look brannoc;  // dwarf cleric: white and gold vestments over mail, red beard, staff
  brannoc.tunic = ramp::bone;
  brannoc.armour = Armour::Mail;
  brannoc.beard = true;
  brannoc.hairRamp = ramp::fire;
  brannoc.hairTone = 0.3;
  brannoc.hair = Hair::Short;
  brannoc.height = 0.78;
  brannoc.breadth = 1.25;
  brannoc.weapon = Weapon::Staff;
  brannoc.legs = ramp::wood;
  brannoc.skinTone = 0.55;
  brannoc.backdrop = ramp::parchment;
  add("brannoc.bmp", brannoc);

  Look ssareth;  // saurian lancer: green scales, snout and tail, red scarf, spear
  ssareth.skin = ramp::greenSkin;
  ssareth.skinTone = 0.55;
  ssareth.snout = true;
  ssareth.tail = true;
  ssareth.hair = Hair::None;
  ssareth.tunic = ramp::red;
  ssareth.armour = Armour::Mail;
  ssareth.headgear = Headgear::Bandana;
  ssareth.headgearRamp = ramp::red;
  ssareth.weapon = Weapon::Spear;
  ssareth.eyes = colour::pureYellow;
  ssareth.legs = ramp::greenSkin;
  ssareth.backdrop = ramp::red;
  add("ssareth.bmp", ssareth);

  Look pip;  // halfling rogue: grey hood and dark leathers, curly hair, short sword
  pip.tunic = ramp::stone;
  pip.armour = Armour::Leather;
  pip.hair = Hair::Wild;
  pip.hairRamp = ramp::wood;
  pip.hairTone = 0.5;
  pip.height = 0.75;
  pip.breadth = 0.9;
  pip.weapon = Weapon::Sword;
  pip.hasCloak = true;
  pip.cloak = ramp::stone;
  pip.legs = ramp::wood;
  pip.backdrop = ramp::stone;
  add("pip.bmp", pip);

  Look grusk;  // orc warden: green skin and tusks, furs, bow
  grusk.skin = ramp::greenSkin;
  grusk.skinTone = 0.45;
  grusk.tusks = true;
  grusk.hair = Hair::Braid;
  grusk.hairRamp = ramp::grey;
  grusk.hairTone = 0.15;
  grusk.tunic = ramp::wood;
  grusk.armour = Armour::Leather;
  grusk.breadth = 1.25;
  grusk.height = 1.05;
  grusk.weapon = Weapon::Bow;
  grusk.hasCloak = true;
  grusk.cloak = ramp::green;
  grusk.eyes = colour::pureRed;
  grusk.backdrop = ramp::grass;
  add("grusk.bmp", grusk);

  Look miro;  // felkin skald: cat ears and tail, orange fur, gold-trimmed red coat, spear
  miro.skin = ramp::fire;
  miro.skinTone = 0.7;
  miro.ears = Ears::Cat;
  miro.tail = true;
  miro.hair = Hair::Short;
  miro.hairRamp = ramp::fire;
  miro.hairTone = 0.55;
  miro.tunic = ramp::sky;
  miro.armour = Armour::None;
  miro.weapon = Weapon::Spear;
  miro.hasCloak = true;
  miro.cloak = ramp::red;
  miro.eyes = ramp::green.at(0.4);
  miro.backdrop = ramp::sky;
  add("miro.bmp", miro);

  Look goblin;  // small green raider with long ears and a crude blade
  goblin.skin = ramp::greenSkin;
  goblin.skinTone = 0.7;
  goblin.ears = Ears::Long;
  goblin.hair = Hair::None;
  goblin.height = 0.75;
  goblin.tunic = ramp::wood;
  goblin.armour = Armour::Leather;
  goblin.weapon = Weapon::Axe;
  goblin.eyes = colour::pureRed;
  goblin.backdrop = ramp::wood;
  add("goblin.bmp", goblin);

  Look archer = goblin;  // goblin archer: red hood and a bow
  archer.headgear = Headgear::Hood;
  archer.headgearRamp = ramp::red;
  archer.weapon = Weapon::Bow;
  archer.tunic = ramp::red;
  archer.armour = Armour::None;
  archer.backdrop = ramp::red;
  add("gobarcher.bmp", archer);

  Look wolf;
  wolf.build = Build::Wolf;
  wolf.hairRamp = ramp::grey;
  wolf.hairTone = 0.45;
  wolf.eyes = colour::pureYellow;
  wolf.breadth = 1.2;
  wolf.backdrop = ramp::ice;
  add("wolf.bmp", wolf);

  Look bandit;  // human cutthroat: black bandana, red coat, mail, sword
  bandit.tunic = ramp::red;
  bandit.armour = Armour::Mail;
  bandit.headgear = Headgear::Bandana;
  bandit.headgearRamp = ramp::grey;
  bandit.hairRamp = ramp::grey;
  bandit.hairTone = 0.2;
  bandit.beard = true;
  bandit.skinTone = 0.5;
  bandit.legs = ramp::stone;
  bandit.backdrop = ramp::stone;
  add("bandit.bmp", bandit);

  Look bowman = bandit;  // bandit archer: brown hood, bow
  bowman.headgear = Headgear::Hood;
  bowman.headgearRamp = ramp::wood;
  bowman.beard = false;
  bowman.tunic = ramp::wood;
  bowman.armour = Armour::Leather;
  bowman.weapon = Weapon::Bow;
  bowman.backdrop = ramp::wood;
  add("bowman.bmp", bowman);

  Look skeleton;  // bare bones with a rusty helm and a spear or blade
  skeleton.build = Build::Skeleton;
  skeleton.skin = ramp::bone;
  skeleton.skinTone = 0.7;
  skeleton.hair = Hair::None;
  skeleton.legs = ramp::bone;
  skeleton.tunic = ramp::bone;
  skeleton.headgear = Headgear::Helm;
  skeleton.headgearRamp = ramp::wood;
  skeleton.eyes = colour::pureRed;
  skeleton.breadth = 0.85;
  skeleton.shield = true;
  skeleton.cloak = ramp::wood;
  skeleton.backdrop = ramp::purple;
  add("skeleton.bmp", skeleton);

  Look troll;  // a head taller and broader: grey-green hide, tusks, club
  troll.skin = ramp::greenSkin;
  troll.skinTone = 0.35;
  troll.tusks = true;
  troll.hair = Hair::Wild;
  troll.hairRamp = ramp::wood;
  troll.hairTone = 0.2;
  troll.height = 1.2;
  troll.breadth = 1.4;
  troll.tunic = ramp::wood;
  troll.armour = Armour::Leather;
  troll.weapon = Weapon::Axe;
  troll.legs = ramp::greenSkin;
  troll.eyes = colour::pureYellow;
  troll.backdrop = ramp::grass;
  add("troll.bmp", troll);

  Look korrath;  // the orc warlord: black plate, horned helm, red cloak, great sword
  korrath.skin = ramp::greenSkin;
  korrath.skinTone = 0.4;
  korrath.tusks = true;
  korrath.hair = Hair::None;
  korrath.armour = Armour::Plate;
  korrath.tunic = ramp::red;
  korrath.headgear = Headgear::HornedHelm;
  korrath.headgearRamp = ramp::metal;
  korrath.hasCloak = true;
  korrath.cloak = ramp::red;
  korrath.height = 1.15;
  korrath.breadth = 1.3;
  korrath.legs = ramp::metal;
  korrath.eyes = colour::pureRed;
  korrath.backdrop = ramp::fire;
  add("korrath.bmp", korrath);
  return all;
}

}  // namespace

const std::vector<NamedLook>& campaignLooks() {
  static const std::vector<NamedLook> looks = build();
  return looks;
}

}  // namespace varnholt::art
