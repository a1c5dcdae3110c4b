// The combat formulas of blows and skills, and the status rolls.

#include "battle/combat_formulas.h"

#include <cmath>
#include <limits>

namespace varnholt {

int truncToInt(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMax = static_cast<double>(std::numeric_limits<int>::max());
  constexpr double kMin = static_cast<double>(std::numeric_limits<int>::min());
  if (value >= kMax) return std::numeric_limits<int>::max();
  if (value <= kMin) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

int addSaturated(int a, int b) {
  const std::int64_t sum = static_cast<std::int64_t>(a) + b;
  if (sum > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (sum < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(sum);
}

int subtractSaturated(int a, int b) {
  const std::int64_t difference = static_cast<std::int64_t>(a) - b;
  if (difference > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (difference < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(difference);
}

namespace {

// The element order of every damage product.
constexpr int kElementOrder[6] = {1, 0, 2, 3, 4, 5};

}  // namespace

int blowDamage(const Character& attacker, const Character& target) {
  double damage = attacker.atk;
  for (int k : kElementOrder) damage *= 1.0 + attacker.elementPower[k] - target.elementResist[k];
  return truncToInt(damage - target.def);
}

std::int64_t hitThreshold(int hit, int flee) {
  if (flee <= 0) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(hit / flee) * 75;
}

bool blowHits(int hit, int flee, int roll) {
  return hitThreshold(hit, flee) >= roll;
}

int skillDamage(const Character& user, const SkillRecord& skill, const Character& target) {
  const int base = truncToInt(user.atk * skill.atkFactor + user.matk * skill.matkFactor);
  double damage = base;
  for (int k : kElementOrder) damage *= 1.0 + skill.elementPower[k] - target.elementResist[k];
  return subtractSaturated(truncToInt(damage), target.def);
}

int healAmount(const Character& user, const SkillRecord& skill, const Character& target) {
  return truncToInt(user.matk * skill.matkFactor * (1.0 + user.elementPower[4] - target.elementResist[4]));
}

int rollPercent(RandomGenerator& random) {
  return random.next() % 100;
}

void rollStatusInfliction(const Character& user, Character& target, RandomGenerator& random) {
  for (int k : kStatusRollOrder) {
    const int roll = rollPercent(random);
    if (user.statusChance[k] - 100.0 * target.statusResist[k] > roll) target.statusFlags[k] = 1;
  }
}

void rollStatusCure(const Character& user, Character& target, RandomGenerator& random) {
  for (int k : kStatusRollOrder) {
    const int roll = rollPercent(random);
    if (100.0 * user.statusChance[k] > roll) target.statusFlags[k] = 0;
  }
}

}  // namespace varnholt
