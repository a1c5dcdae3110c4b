// Attacks and skills: the hit threshold, damage and its truncation, the status and cure rolls and how many
// numbers they draw, the skill kinds and their costs, and the cells a skill accepts.

#include "battle/battle_definition.h"
#include "battle/combat_formulas.h"
#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

TEST(HitThreshold, FollowsTheIntegerRatioOfHitToFlee) {
  struct Case {
    int hit, flee, roll;
    bool hits;
  };
  const Case cases[] = {
      {9, 10, 0, true},   {9, 10, 1, false},    // below the flee: only a roll of 0
      {10, 10, 75, true}, {19, 10, 76, false},  // up to twice the flee: rolls 0 to 75
      {20, 10, 99, true}, {500, 3, 99, true},   // twice the flee and more: always
      {5, 0, 99, true},   {5, -4, 99, true},    // no flee to divide by: always hit
      {-5, 10, 0, true},  {-15, 10, 0, false},  // (-15 / 10) x 75 = -75
  };
  for (const Case& c : cases)
    EXPECT_EQ(blowHits(c.hit, c.flee, c.roll), c.hits) << c.hit << " vs " << c.flee << " roll " << c.roll;
}

TEST(DamageFormulas, ABlowTruncatesAfterTheDefenceASkillBefore) {
  Character user;
  Character target;
  user.atk = 10;
  target.def = 15;
  EXPECT_EQ(blowDamage(user, target), -5);

  // 10 x 1.55 (element 1) x 0.5 (element 0) = 7.75.
  user.elementPower[1] = 0.55;
  target.elementResist[0] = 0.5;
  struct Case {
    int def, blow;
  };
  for (const Case& c : {Case{3, 4}, Case{5, 2}, Case{8, 0}}) {
    target.def = c.def;
    EXPECT_EQ(blowDamage(user, target), c.blow) << "def " << c.def;
  }

  SkillRecord skill;
  skill.atkFactor = 0.5;
  skill.matkFactor = 2.0;
  user.atk = 10;
  user.matk = 10;
  Character skillTarget;
  skillTarget.elementResist[0] = 0.69;  // base 25 x 0.31 = 7.75
  skillTarget.def = 8;
  EXPECT_EQ(skillDamage(user, skill, skillTarget), -1);
  skill.elementPower[3] = 1.0;  // the skill's own elements count, not the user's
  EXPECT_EQ(skillDamage(user, skill, skillTarget), 15 - 8);
}

TEST(DamageFormulas, ExtremeValuesSaturateInsteadOfOverflowing) {
  Character user;
  Character target;
  user.atk = 2'000'000'000;
  user.elementPower[2] = 10.0;
  EXPECT_EQ(blowDamage(user, target), INT_MAX);
  EXPECT_EQ(truncToInt(-1e300), INT_MIN);
  EXPECT_EQ(subtractSaturated(INT_MIN + 5, 10), INT_MIN);
}

class Combat : public BattleTest {
 protected:
  void SetUp() override {
    useMap();
    add(20, 3, 2, 2);
    add(21, 2, 3, 2);
    add(2, 5, 5, 1);
    add(1, 2, 2, 1);
    setSpriteAnimation(battle.swordSprite, 3);
  }

  // The next n percentage rolls, without drawing them.
  std::vector<int> nextRolls(int n) const {
    RandomGenerator preview = random;
    std::vector<int> rolls;
    for (int i = 0; i < n; ++i) rolls.push_back(preview.next() % 100);
    return rolls;
  }
};

TEST_F(Combat, AHitLowersTheTargetsHpAndDrawsFiveNumbers) {
  edit(1, [](Character& c) { c.hit = 1000; });
  actAs(1);
  ASSERT_TRUE(battle.attack(3, 2));
  const Character target = unit(20);
  EXPECT_EQ(target.hp, target.maxHp - (10 - target.def));
  EXPECT_EQ(random.drawCount(), 5u);
  EXPECT_EQ(battle.hitSprite.currentAnimation, 0);
  EXPECT_EQ(battle.swordSprite.currentAnimation, 1);  // the sword is weapon 1
  EXPECT_EQ(battle.swordSprite.x, 84.0f);
  EXPECT_EQ(battle.swordSprite.y, 134.0f);
  EXPECT_EQ(battle.hitSprite.x, 114.0f);
  EXPECT_TRUE(battle.swordSprite.attributes & SPRITE_VISIBLE);
  EXPECT_EQ(battle.state, kStateAttackEffect);
  EXPECT_EQ(battle.effectShowing, 1);
  EXPECT_EQ(battle.acting.ap, -50);
  // The target is written back first, then the attacker.
  EXPECT_EQ(order(), (std::vector<int>{21, 2, 20, 1}));
  EXPECT_EQ(flow.cursorMode, 2);
  EXPECT_EQ(flow.cursorY(), 515.0f);
}

TEST_F(Combat, AMissLeavesTheTargetButStillRollsTheStatuses) {
  edit(1, [](Character& c) { c.hit = 0; });
  actAs(1);
  ASSERT_NE(nextRolls(1)[0], 0);
  ASSERT_TRUE(battle.attack(3, 2));
  EXPECT_EQ(unit(20).hp, unit(20).maxHp);
  EXPECT_EQ(battle.hitSprite.currentAnimation, 1);
  EXPECT_EQ(random.drawCount(), 5u);
}

TEST_F(Combat, ANegativeDamageHitHealsPastTheMaximum) {
  edit(1, [](Character& c) {
    c.hit = 1000;
    c.atk = 10;
  });
  edit(20, [](Character& c) { c.def = 15; });
  actAs(1);
  ASSERT_TRUE(battle.attack(3, 2));
  EXPECT_EQ(unit(20).hp, unit(20).maxHp + 5);
}

TEST_F(Combat, StatusRollsComeInTheOrderZeroOneThreeTwo) {
  const std::vector<int> rolls = nextRolls(5);  // the hit roll, then statuses 0, 1, 3, 2
  const int statusOf[4] = {1, 2, 4, 3};         // which roll each status gets
  edit(1, [&](Character& c) {
    c.hit = 1000;
    for (int k = 0; k < 4; ++k) c.statusChance[k] = rolls[static_cast<std::size_t>(statusOf[k])] + 0.5;
  });
  edit(20, [](Character& c) { c.statusResist[1] = 0.01; });  // 1 point short for status 1
  actAs(1);
  ASSERT_TRUE(battle.attack(3, 2));
  const Character target = unit(20);
  EXPECT_EQ(target.statusFlags[0], 1);
  EXPECT_EQ(target.statusFlags[1], 0);
  EXPECT_EQ(target.statusFlags[2], 1);
  EXPECT_EQ(target.statusFlags[3], 1);
}

TEST_F(Combat, AnAttackOnAnEmptyOrOwnCellStrikesNoBlowButEndsTheTurn) {
  for (GridPos cell : {GridPos{1, 2}, GridPos{2, 2}}) {
    actAs(1);
    ASSERT_TRUE(battle.attack(cell.column, cell.row));
    EXPECT_EQ(battle.state, kStateAttackEffect);
    EXPECT_EQ(battle.effectShowing, 1);
    EXPECT_EQ(battle.acting.ap, 0);
    EXPECT_EQ(random.drawCount(), 0u);
    EXPECT_EQ(order().back(), 1);
  }
}

TEST_F(Combat, AnAttackOutsideTheTargetsIsRefused) {
  actAs(1);
  const std::vector<int> before = order();
  EXPECT_FALSE(battle.attack(5, 5));
  EXPECT_EQ(battle.state, kStateCommand);
  EXPECT_EQ(battle.effectShowing, 0);
  EXPECT_EQ(order(), before);
}

TEST_F(Combat, AWeaponWithoutASwingKeepsThePreviousSwing) {
  edit(1, [](Character& c) { c.equipment[kWeaponSlot] = 9; });
  actAs(1);
  battle.targetCells.add(GridPos{3, 2});
  ASSERT_TRUE(battle.attack(3, 2));
  EXPECT_EQ(battle.swordSprite.currentAnimation, 3);
}

TEST_F(Combat, StrengtheningOneselfChargesTheCostsToTheStrengthenedUser) {
  actAs(1);
  const Character before = unit(1);
  ASSERT_TRUE(battle.useSkill(2, 2, 1));
  const Character after = unit(1);
  EXPECT_EQ(after.atk, before.atk + 3);
  EXPECT_EQ(after.matk, before.matk + 2);
  EXPECT_EQ(after.def, before.def + 4);
  EXPECT_EQ(after.mdef, before.mdef + 1);
  EXPECT_DOUBLE_EQ(after.elementPower[5], 0.1);
  EXPECT_DOUBLE_EQ(after.elementResist[0], 0.2);
  EXPECT_EQ(after.sp, before.sp - 5);
  EXPECT_EQ(after.ap, -15 - 75);
  EXPECT_EQ(random.drawCount(), 0u);
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(flow.cursorMode, 2);
  EXPECT_EQ(flow.battleCommand, 0);
  EXPECT_EQ(battle.effectShowing, 1);
  EXPECT_STREQ(flow.messageText, " ");
}

TEST_F(Combat, AHealIsCappedAtTheMaximumAndMakesFourCureRolls) {
  edit(2, [](Character& c) {
    c.statusChance[0] = 1.0;
    c.statusChance[3] = 1.0;
  });
  struct Case {
    int hpBefore, hpAfter;
  };
  // Brenna's matk 10 x 1.5 restores 15; Aldric's maximum is 28.
  for (const Case& c : {Case{5, 20}, Case{20, 28}}) {
    edit(1, [&](Character& target) {
      target.hp = c.hpBefore;
      for (unsigned char& flag : target.statusFlags) flag = 1;
    });
    const std::uint64_t draws = random.drawCount();
    actAs(2);
    battle.targetCells.add(GridPos{2, 2});
    ASSERT_TRUE(battle.useSkill(2, 2, 3));
    const Character healed = unit(1);
    EXPECT_EQ(healed.hp, c.hpAfter);
    EXPECT_EQ(random.drawCount() - draws, 4u);
    EXPECT_EQ(healed.statusFlags[0], 0);
    EXPECT_EQ(healed.statusFlags[3], 0);
    EXPECT_EQ(healed.statusFlags[1], 1);
  }
}

TEST_F(Combat, ADamageSkillHasNoHitRollAndDrawsFourStatusRolls) {
  edit(20, [](Character& c) {
    c.elementResist[0] = 0.69;
    c.def = 8;
  });
  edit(1, [](Character& c) { c.atk = 10; });
  actAs(1);
  const Character target = unit(20);
  ASSERT_TRUE(battle.useSkill(3, 2, 2));
  EXPECT_EQ(unit(20).hp, target.hp + 1);  // trunc(7.75) - 8
  EXPECT_EQ(random.drawCount(), 4u);
  EXPECT_EQ(unit(1).sp, unit(1).maxSp - 10);
  EXPECT_EQ(battle.state, kStateChoosing);
}

TEST_F(Combat, TooLittleSpShowsTheMessageAndStillCostsSeventyFiveAp) {
  edit(1, [](Character& c) { c.sp = 3; });
  actAs(1);
  ASSERT_TRUE(battle.useSkill(3, 2, 2));
  EXPECT_STREQ(flow.messageText, "Not Enough SP");
  EXPECT_EQ(battle.acting.ap, -75);
  EXPECT_EQ(battle.state, kStateCommand);
  EXPECT_EQ(unit(20).hp, unit(20).maxHp);
  EXPECT_EQ(random.drawCount(), 0u);
  EXPECT_EQ(unit(1).sp, 3);
}

TEST_F(Combat, ASkillOnAnEmptyCellCostsApAndTheTurnGoesOn) {
  actAs(1);
  ASSERT_TRUE(battle.useSkill(4, 2, 2));
  EXPECT_EQ(battle.acting.ap, -75);
  EXPECT_EQ(battle.state, kStateCommand);
}

TEST_F(Combat, ASkillOfUnknownKindPaysNothingButEndsTheTurn) {
  actAs(1);
  const int sp = unit(1).sp;
  ASSERT_TRUE(battle.useSkill(3, 2, 5));
  EXPECT_EQ(unit(1).sp, sp);
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(order(), (std::vector<int>{21, 2, 20, 1}));
}

TEST_F(Combat, ASkillAcceptsTheUnionOfItsRangeAroundTheUserAndAroundTheCellToItsRight) {
  actAs(1);
  battle.targetCells.clear();
  battle.fillTargetCells(2, 2, 1);  // what the skill list marked around the user
  EXPECT_TRUE(battle.useSkill(1, 2, 5));
  actAs(1);
  battle.targetCells.clear();
  battle.fillTargetCells(2, 2, 1);
  EXPECT_TRUE(battle.useSkill(4, 2, 5));
  actAs(1);
  battle.targetCells.clear();
  EXPECT_FALSE(battle.useSkill(1, 2, 5));
  EXPECT_FALSE(battle.useSkill(2, 4, 5));
  // The cell to the right is added once more by each command, even when the set holds it.
  int copies = 0;
  for (const GridPos& cell : cellsOf(battle.targetCells)) copies += cell == GridPos{3, 2} ? 1 : 0;
  EXPECT_EQ(copies, 3);
}

TEST_F(Combat, AUserDefeatedByItsOwnHpCostStaysRemoved) {
  actAs(1);
  ASSERT_TRUE(battle.useSkill(2, 2, 4));  // 30 HP for the skill; Aldric has 28
  EXPECT_FALSE(inBattle(1));
  EXPECT_EQ(battle.map.occupancy[2][2], 0);
  ASSERT_EQ(flow.roster.count(), 1);
  EXPECT_EQ(flow.roster.at(0).hp, -2);
}

TEST_F(Combat, ASkillThatWinsTheBattleStopsBeforeTheNextBattle) {
  // Raider 20 fell earlier in the turn and the last raider is gone: this skill's end of turn wins.
  edit(21, [](Character& c) { c.hp = 0; });
  edit(20, [](Character& c) { c.hp = 0; });
  actAs(1);
  battle.endTurn();
  ASSERT_EQ(outcome.victories, 0);
  outcome.onVictory = [&] {
    battle.units.clear();
    battle.spriteCount = 0;
    ++battle.battleNumber;
    flow.setCursor(45, 100, 3);
    loadBattle(battle, 1);
  };
  actAs(1);
  battle.effectShowing = 0;
  ASSERT_TRUE(battle.useSkill(2, 2, 1));
  EXPECT_EQ(outcome.victories, 1);
  EXPECT_EQ(order(), (std::vector<int>{20, 21}));
  EXPECT_EQ(battle.effectShowing, 0);
  EXPECT_EQ(flow.cursorX(), 45.0f);
  EXPECT_EQ(flow.cursorFrame(), 3);
  EXPECT_EQ(flow.cursorMode, 0);
}

}  // namespace
}  // namespace varnholt::testing
