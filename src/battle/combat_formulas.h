#pragma once
// The combat formulas: damage of a blow and of a damage skill, the hit threshold, healing, and the status
// rolls. Every product is formed in doubles, left to right in the game's order, and truncated toward zero
// only where the game truncates.

#include <cstdint>

#include "data/character.h"
#include "data/random.h"
#include "data/records.h"

namespace varnholt {

// The order in which the four status conditions are rolled.
inline constexpr int kStatusRollOrder[4] = {0, 1, 3, 2};

// Truncation toward zero; values beyond the int range (and NaN) are held at the range's ends (0 for NaN).
int truncToInt(double value);

// Saturating int arithmetic for hit points: extreme data never overflows.
int addSaturated(int a, int b);
int subtractSaturated(int a, int b);

// Damage of a weapon blow: the attack times the six element factors (element 1 first, then 0, 2, 3, 4,
// 5), less the defence, truncated once at the end. Negative when the defence is the larger.
int blowDamage(const Character& attacker, const Character& target);

// The largest roll (0..99) with which a blow hits: (hit / flee) x 75 with integer division. A target
// whose flee is 0 or negative is always hit.
std::int64_t hitThreshold(int hit, int flee);
bool blowHits(int hit, int flee, int roll);

// Damage of a damage skill: the truncated base times the skill's six element factors, truncated, and only
// then less the defence.
int skillDamage(const Character& user, const SkillRecord& skill, const Character& target);

// Hit points a healing skill restores before the cap at the target's maximum.
int healAmount(const Character& user, const SkillRecord& skill, const Character& target);

// One percentage roll: a draw of the generator modulo 100.
int rollPercent(RandomGenerator& random);

// Four infliction rolls in the status order; a status is set when chance - 100 x resist beats the roll.
void rollStatusInfliction(const Character& user, Character& target, RandomGenerator& random);
// Four cure rolls in the status order; a status is cleared when 100 x the user's chance beats the roll.
void rollStatusCure(const Character& user, Character& target, RandomGenerator& random);

}  // namespace varnholt
