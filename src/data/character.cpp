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

// An equipment slot and whether its value adds to (+1) or subtracts from (-1) a statistic.
struct SlotSign {
  int slot;
  int sign;
};
// Slots 0 and 1 add only to the attack side, 2 adds and 3 subtracts on the defence side, 4 and 5 add to
// the attack side and subtract from the defence side; every slot but 0 and 1 adds to Flee.
constexpr SlotSign kAttackSlots[4] = {{0, 1}, {1, 1}, {4, 1}, {5, 1}};
constexpr SlotSign kDefenceSlots[4] = {{2, 1}, {3, -1}, {4, -1}, {5, -1}};
constexpr SlotSign kFleeSlots[4] = {{2, 1}, {3, 1}, {4, 1}, {5, 1}};

}  // namespace

void Character::computeDerived(GameDatabase& database) {
  // Each item value is a lookup of its own, made in the order the formulas name them (slot by slot, left
  // to right, and element by element for the arrays): the count and order of hits and misses decide the
  // cache ages and so which record a full cache drops next. Operands of + are not sequenced in C++, so the
  // sums are built one statement at a time.
  const auto sumInts = [&](std::int64_t base, const SlotSign(&slots)[4], int ItemRecord::*field) {
    for (const SlotSign& s : slots) base += s.sign * std::int64_t{database.getItem(equipment[s.slot]).*field};
    return clipToInt(base);
  };
  const auto sumDoubles = [&](const SlotSign(&slots)[4], auto ItemRecord::*array, int k) {
    double sum = 0.0;
    for (const SlotSign& s : slots) {
      const double value = (database.getItem(equipment[s.slot]).*array)[k];
      sum = s.sign > 0 ? sum + value : sum - value;
    }
    return sum;
  };

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

  atk = sumInts(strength, kAttackSlots, &ItemRecord::atk);
  matk = sumInts(intelligence, kAttackSlots, &ItemRecord::matk);
  def = sumInts(vitality, kDefenceSlots, &ItemRecord::def);
  mdef = sumInts(mind, kDefenceSlots, &ItemRecord::mdef);

  // The sum is formed in doubles, each item's int joining it in turn, and truncated at the end.
  double speed = 0.25 * static_cast<double>(dexterity) + 0.5 * static_cast<double>(agility);
  for (const SlotSign& s : kAttackSlots) speed += database.getItem(equipment[s.slot]).aspd;
  aspd = truncToInt(speed);

  hit = sumInts(std::int64_t{dexterity} + level, kAttackSlots, &ItemRecord::hit);
  flee = sumInts(std::int64_t{agility} + level, kFleeSlots, &ItemRecord::flee);

  const int raceMove = database.getRace(raceId).moveRange;
  const int classMove = database.getClass(classId).moveRange;
  moveRange = clipToInt(std::int64_t{raceMove} + classMove);

  for (int k = 0; k < 6; ++k) elementResist[k] = sumDoubles(kDefenceSlots, &ItemRecord::elementResist, k);
  for (int k = 0; k < 4; ++k) statusResist[k] = sumDoubles(kDefenceSlots, &ItemRecord::statusResist, k);
  for (int k = 0; k < 6; ++k) elementPower[k] = sumDoubles(kAttackSlots, &ItemRecord::elementPower, k);
  for (int k = 0; k < 4; ++k) statusChance[k] = sumDoubles(kAttackSlots, &ItemRecord::statusChance, k);
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
