#pragma once
// The records of the text databases: items, skills, classes and races. Plain values, copied on every
// lookup; each is identified by its id. A record whose id is 0 is the empty record a lookup returns when
// its file or its number is missing.

#include "data/bounded_list.h"

namespace varnholt {

// One piece of equipment; its numbers feed a character's derived statistics, and the weapon's `range` is
// its attack range.
struct ItemRecord {
  int id = 0;
  char name[20] = {};
  int def = 0;
  int mdef = 0;
  double elementResist[6] = {};
  double statusResist[4] = {};
  int atk = 0;
  int matk = 0;
  double elementPower[6] = {};
  double statusChance[4] = {};
  int reserved[4] = {};
  int flee = 0;
  int aspd = 0;
  int hit = 0;
  int range = 0;

  friend bool operator==(const ItemRecord& a, const ItemRecord& b) { return a.id == b.id; }
};

// Skill kinds.
inline constexpr int kSkillBuff = 1;
inline constexpr int kSkillDamage = 2;
inline constexpr int kSkillHeal = 3;

struct SkillRecord {
  int id = 0;
  char name[16] = {};
  int def = 0;
  int mdef = 0;
  double elementResist[6] = {};
  double statusResist[4] = {};
  int atk = 0;
  int matk = 0;
  double elementPower[6] = {};
  double statusChance[4] = {};
  double atkFactor = 0.0;
  double matkFactor = 0.0;
  int reserved = 0;
  int range = 0;
  int kind = 0;
  char description[52] = {};
  int hpCost = 0;
  int spCost = 0;

  friend bool operator==(const SkillRecord& a, const SkillRecord& b) { return a.id == b.id; }
};

// Growth order of the six base attributes: strength, vitality, dexterity, intelligence, agility, mind.
struct ClassRecord {
  int id = 0;
  char name[16] = {};
  int growth[6] = {};
  int moveRange = 0;
  int reserved = 0;
  double hpFactor = 0.0;
  double spFactor = 0.0;
  IdList classSkills;

  friend bool operator==(const ClassRecord& a, const ClassRecord& b) { return a.id == b.id; }
};

struct RaceRecord {
  int id = 0;
  char name[16] = {};
  int growth[6] = {};
  int moveRange = 0;
  int reserved = 0;
  double hpFactor = 0.0;
  double spFactor = 0.0;

  friend bool operator==(const RaceRecord& a, const RaceRecord& b) { return a.id == b.id; }
};

}  // namespace varnholt
