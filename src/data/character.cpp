// Derived statistics and level-up of a character. Every race, class and item value is looked up on its
// own through the database, as the cache ages depend on the number and order of lookups.

#include "data/character.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "data/game_database.h"

namespace varnholt {

namespace {

// Sums of ints are formed in 64 bits and clipped into an int, so values from a malformed file cannot
// overflow; for the game's data the result is the plain int sum.
int clipToInt(std::int64_t value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// Truncation toward zero, clipped into an int (NaN gives 0).
int truncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace

void Character::computeDerived(GameDatabase& database) {
  auto item = [&](int slot) { return database.getItem(equipment[slot]); };

  const double classHp = database.getClass(classId).hpFactor;
  const double raceHp = database.getRace(raceId).hpFactor;
  // (2 x L) x vitality and dexterity x L are int products; as doubles they are exact for any value the
  // game's data can hold and cannot overflow.
  maxHp = truncToInt(classHp * (raceHp * (static_cast<double>(2LL * level) * vitality)) +
                     static_cast<double>(dexterity) * level);

  const double classSp = database.getClass(classId).spFactor;
  const double raceSp = database.getRace(raceId).spFactor;
  maxSp = truncToInt(classSp * (raceSp * (static_cast<double>(2LL * level) * intelligence)));

  hp = maxHp;
  sp = maxSp;
  ap = 0;

  atk = clipToInt(std::int64_t{strength} + item(0).atk + item(1).atk + item(4).atk + item(5).atk);
  matk = clipToInt(std::int64_t{intelligence} + item(0).matk + item(1).matk + item(4).matk + item(5).matk);
  def = clipToInt(std::int64_t{vitality} + item(2).def - item(3).def - item(4).def - item(5).def);
  mdef = clipToInt(std::int64_t{mind} + item(2).mdef - item(3).mdef - item(4).mdef - item(5).mdef);

  aspd = truncToInt(0.25 * static_cast<double>(dexterity) + 0.5 * static_cast<double>(agility) +
                    item(0).aspd + item(1).aspd + item(4).aspd + item(5).aspd);

  hit = clipToInt(std::int64_t{dexterity} + level + item(0).hit + item(1).hit + item(4).hit + item(5).hit);
  flee = clipToInt(std::int64_t{agility} + level + item(2).flee + item(3).flee + item(4).flee + item(5).flee);

  const int raceMove = database.getRace(raceId).moveRange;
  const int classMove = database.getClass(classId).moveRange;
  moveRange = clipToInt(std::int64_t{raceMove} + classMove);

  for (int k = 0; k < 6; ++k) {
    elementResist[k] = 0.0 + item(2).elementResist[k] - item(3).elementResist[k] - item(4).elementResist[k] -
                       item(5).elementResist[k];
  }
  for (int k = 0; k < 4; ++k) {
    statusResist[k] = 0.0 + item(2).statusResist[k] - item(3).statusResist[k] - item(4).statusResist[k] -
                      item(5).statusResist[k];
  }
  for (int k = 0; k < 6; ++k) {
    elementPower[k] = 0.0 + item(0).elementPower[k] + item(1).elementPower[k] + item(4).elementPower[k] +
                      item(5).elementPower[k];
  }
  for (int k = 0; k < 4; ++k) {
    statusChance[k] = 0.0 + item(0).statusChance[k] + item(1).statusChance[k] + item(4).statusChance[k] +
                      item(5).statusChance[k];
  }
}

void Character::levelUp(GameDatabase& database) {
  // Race growth first, then class growth, attribute by attribute; intelligence comes before dexterity.
  auto grow = [&](int& attribute, int index) {
    attribute = clipToInt(std::int64_t{attribute} + database.getRace(raceId).growth[index]);
    attribute = clipToInt(std::int64_t{attribute} + database.getClass(classId).growth[index]);
  };
  grow(strength, 0);
  grow(vitality, 1);
  grow(intelligence, 3);
  grow(dexterity, 2);
  grow(agility, 4);
  grow(mind, 5);
  computeDerived(database);
  level = clipToInt(std::int64_t{level} + 1);
}

}  // namespace varnholt
