#pragma once
// Character: one fighter, as read from the character database and completed by computeDerived, which
// combines its base attributes with its race, class and equipment. A plain value: copies are complete,
// and two characters are the same fighter when their ids are equal.

#include "data/bounded_list.h"

namespace varnholt {

class GameDatabase;

// Equipment slots with a fixed role in the derivation.
inline constexpr int kWeaponSlot = 0;
inline constexpr int kEquipmentSlots = 6;

struct Character {
  int id = 0;
  int side = 0;
  char pictureFile[25] = {};
  int spriteSlot = 0;
  char name[16] = {};
  int classId = 0;
  int raceId = 0;
  int level = 0;
  int exp = 0;
  int maxHp = 0;
  int maxSp = 0;
  int strength = 0;
  int vitality = 0;
  int dexterity = 0;
  int intelligence = 0;
  int agility = 0;
  int mind = 0;
  IdList skills;
  int def = 0;
  int mdef = 0;
  double elementResist[6] = {};
  double statusResist[4] = {};
  int atk = 0;
  int matk = 0;
  double elementPower[6] = {};
  double statusChance[4] = {};
  int hp = 0;
  int sp = 0;
  unsigned char statusFlags[4] = {};
  int moveRange = 0;
  int flee = 0;
  int hit = 0;
  int aspd = 0;
  int equipment[kEquipmentSlots] = {};
  int column = 0;
  int row = 0;
  int ap = 0;

  // The item number of the weapon (slot 0); its range is the attack range.
  int weapon() const { return equipment[kWeaponSlot]; }

  // Recomputes the derived statistics from the base attributes, race, class and equipment, looking every
  // value up through the database's caches. Refills hp and sp, sets ap to 0.
  void computeDerived(GameDatabase& database);

  // Adds the race's and the class's growth to the base attributes, derives at the old level, then raises
  // the level: the new level shows in the statistics only at the next computeDerived.
  void levelUp(GameDatabase& database);

  friend bool operator==(const Character& a, const Character& b) { return a.id == b.id; }
};

}  // namespace varnholt
