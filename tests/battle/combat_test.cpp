// Attacks and skills: hit threshold, damage and truncation, status and cure rolls and their draws, the
// skill kinds and costs, the cells a skill accepts, and a skill that ends the battle.

#include <algorithm>
#include <climits>
#include <utility>

#include "battle/battle_definition.h"
#include "battle/combat_formulas.h"
#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

TEST(CombatFormulas, HitThresholdAndTruncation) {
  struct Hit {
    int hit, flee, roll;
    bool hits;
  };
  for (const Hit& c :
       {Hit{9, 10, 0, true}, Hit{9, 10, 1, false}, Hit{19, 10, 75, true}, Hit{19, 10, 76, false},
        Hit{20, 10, 99, true}, Hit{5, 0, 99, true}, Hit{5, -4, 99, true}})
    EXPECT_EQ(blowHits(c.hit, c.flee, c.roll), c.hits) << c.hit << "/" << c.flee << " roll " << c.roll;

  Character user, target;
  user.atk = user.matk = 10;
  user.elementPower[1] = 0.55;    // element 1 ...
  target.elementResist[0] = 0.5;  // ... and 0: 10 x 1.55 x 0.5 = 7.75
  target.def = 8;
  EXPECT_EQ(blowDamage(user, target), 0);  // trunc(-0.25): the defence before truncating
  SkillRecord skill;
  skill.atkFactor = 0.5;
  skill.matkFactor = 2.0;
  target.elementResist[0] = 0.69;                   // base 25 x 0.31 = 7.75
  EXPECT_EQ(skillDamage(user, skill, target), -1);  // trunc(7.75) - 8: the defence after
  EXPECT_EQ(blowDamage(Character{}, target), -8);   // more defence than attack heals
  user.atk = 2'000'000'000;
  user.elementPower[2] = 10.0;
  EXPECT_EQ(blowDamage(user, target), INT_MAX);  // held at the int range, never undefined
}

class Combat : public BattleTest {
 protected:
  void SetUp() override {
    add(20, 3, 2, 2);
    add(21, 2, 3, 2);
    add(2, 5, 5, 1);
    add(1, 2, 2, 1);
    setSpriteAnimation(battle.swordSprite, 3);
  }
  std::vector<int> nextRolls(int n) const {
    RandomGenerator preview = random;
    std::vector<int> rolls;
    for (int i = 0; i < n; ++i) rolls.push_back(preview.next() % 100);
    return rolls;
  }
};

TEST_F(Combat, ABlowHitsOrMissesThenRollsTheFourStatusesInOrderZeroOneThreeTwo) {
  const std::vector<int> rolls = nextRolls(5);
  ASSERT_NE(rolls[0], 0);
  const std::size_t rollOf[4] = {1, 2, 4, 3};
  edit(1, [&](Character& c) {
    for (int k = 0; k < 4; ++k) c.statusChance[k] = rolls[rollOf[k]] + 0.5;
  });
  edit(20, [](Character& c) { c.statusResist[1] = 0.01; });  // one point short
  for (int hit : {0, 1000}) {  // Raider's flee is 9: hit 0 only hits on a roll of 0
    edit(1, [&](Character& c) { c.hit = hit; });
    actAs(1);
    const Character before = unit(20);
    const std::uint64_t draws = random.drawCount();
    ASSERT_TRUE(battle.attack(3, 2));
    EXPECT_EQ(random.drawCount() - draws, 5u);
    EXPECT_EQ(unit(20).hp, hit ? before.hp - (10 - 8) : before.hp);
    EXPECT_EQ(battle.hitSprite.currentAnimation, hit ? 0 : 1);
    if (hit) continue;
    EXPECT_EQ(flagsOf(unit(20)), (std::vector<int>{1, 0, 1, 1}));
    EXPECT_EQ(order(), (std::vector<int>{21, 2, 20, 1}));  // the target, then the attacker, written back
    EXPECT_EQ(battle.acting.ap, -50);
    EXPECT_EQ(battle.state, kStateAttackEffect);
    EXPECT_EQ(battle.swordSprite.currentAnimation, 1);
    EXPECT_EQ(std::make_pair(battle.hitSprite.x, battle.hitSprite.y), std::make_pair(114.0f, 134.0f));
  }
}

TEST_F(Combat, AnAttackOnAnEmptyOrOwnCellStrikesNothingAndAWeaponWithoutSwingKeepsTheLast) {
  edit(1, [](Character& c) { c.equipment[kWeaponSlot] = 9; });
  actAs(1);
  battle.targetCells.add({1, 2});
  EXPECT_FALSE(battle.attack(3, 2));
  for (GridPos cell : {GridPos{1, 2}, GridPos{2, 2}}) {
    ASSERT_TRUE(battle.attack(cell.column, cell.row));
    EXPECT_EQ(battle.state, kStateAttackEffect);
    EXPECT_EQ(battle.acting.ap, 0);
  }
  EXPECT_EQ(random.drawCount(), 0u);
  EXPECT_EQ(battle.swordSprite.currentAnimation, 3);
}

TEST_F(Combat, StrengtheningOneselfChargesTheCostsToTheStrengthenedUser) {
  actAs(1);
  const Character before = unit(1);
  ASSERT_TRUE(battle.useSkill(2, 2, 1));
  const Character after = unit(1);
  EXPECT_EQ(after.atk - before.atk + after.def - before.def, 3 + 4);
  EXPECT_DOUBLE_EQ(after.elementResist[5], 0.2);
  EXPECT_EQ(after.sp, before.sp - 5);
  EXPECT_EQ(after.ap, -15 - 75);
  EXPECT_EQ(random.drawCount(), 0u);
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(battle.effectShowing, 1);

  // Cast again and again, the bonus stops at the int range.
  edit(1, [](Character& c) { c.atk = INT_MAX - 1; });
  actAs(1);
  ASSERT_TRUE(battle.useSkill(2, 2, 1));
  EXPECT_EQ(unit(1).atk, INT_MAX);
}

TEST_F(Combat, AHealStopsAtTheMaximumAndMakesFourCureRolls) {
  edit(2, [](Character& c) { c.statusChance[0] = c.statusChance[3] = 1.0; });
  for (auto [before, after] : {std::pair{5, 20}, std::pair{20, 28}}) {  // matk 10 x 1.5; maximum 28
    edit(1, [&](Character& c) {
      c.hp = before;
      for (auto& flag : c.statusFlags) flag = 1;
    });
    const std::uint64_t draws = random.drawCount();
    actAs(2);
    battle.targetCells.add({2, 2});
    ASSERT_TRUE(battle.useSkill(2, 2, 3));
    EXPECT_EQ(unit(1).hp, after);
    EXPECT_EQ(random.drawCount() - draws, 4u);
    EXPECT_EQ(flagsOf(unit(1)), (std::vector<int>{0, 1, 1, 0}));
  }
}

TEST_F(Combat, ADamageSkillRollsOnlyTheStatusesAndTooLittleSpStillCosts75Ap) {
  edit(20, [](Character& c) { c.elementResist[0] = 0.69; });
  actAs(1);
  const int hp = unit(20).hp;
  ASSERT_TRUE(battle.useSkill(3, 2, 2));
  EXPECT_EQ(unit(20).hp, hp + 1);
  EXPECT_EQ(random.drawCount(), 4u);
  EXPECT_EQ(unit(1).sp, unit(1).maxSp - 10);

  edit(1, [](Character& c) { c.sp = 3; });
  actAs(1);
  const int ap = battle.acting.ap;
  ASSERT_TRUE(battle.useSkill(3, 2, 2));
  EXPECT_STREQ(flow.messageText, "Not Enough SP");
  EXPECT_EQ(battle.acting.ap, ap - 75);
  EXPECT_EQ(battle.state, kStateCommand);
  EXPECT_EQ(random.drawCount(), 4u);
}

TEST_F(Combat, ASkillAcceptsItsRangeAroundTheUserJoinedWithTheDiamondRightOfIt) {
  struct Case {
    bool userRangeMarked;
    GridPos cell;
    bool accepted;
  };
  for (const Case& c : {Case{true, {1, 2}, true}, Case{true, {4, 2}, true}, Case{false, {1, 2}, false},
                        Case{false, {2, 4}, false}}) {
    actAs(1);
    battle.targetCells.clear();
    if (c.userRangeMarked) battle.fillTargetCells(2, 2, 1);
    EXPECT_EQ(battle.useSkill(c.cell.column, c.cell.row, 5), c.accepted)
        << c.cell.column << "," << c.cell.row;
  }
  // The cell to the right was added again although the fill had just marked it.
  const std::vector<GridPos> cells = cellsOf(battle.targetCells);
  EXPECT_EQ(std::count(cells.begin(), cells.end(), GridPos{3, 2}), 2);
}

TEST_F(Combat, AUserDefeatedByItsOwnHpCostStaysRemoved) {
  actAs(1);
  ASSERT_TRUE(battle.useSkill(2, 2, 4));  // 30 HP; Aldric has 28
  EXPECT_EQ(order(), (std::vector<int>{20, 21, 2}));
  EXPECT_EQ(flow.roster.at(0).hp, -2);
}

TEST_F(Combat, ASkillThatWinsTheBattleLeavesTheNextBattleAlone) {
  edit(20, [](Character& c) { c.hp = 0; });
  edit(21, [](Character& c) { c.hp = 0; });
  actAs(1);
  battle.endTurn();  // the raiders fall; the battle is decided at the next end of turn
  outcome.onVictory = [&] {
    battle.units.clear();
    battle.spriteCount = 0;
    flow.setCursor(45, 100, 3);
    loadBattle(battle, 1);
  };
  actAs(1);
  battle.effectShowing = 0;
  ASSERT_TRUE(battle.useSkill(2, 2, 1));
  EXPECT_EQ(outcome.victories, 1);
  EXPECT_EQ(order(), (std::vector<int>{20, 21}));
  EXPECT_EQ(battle.effectShowing, 0);
  EXPECT_EQ(std::make_pair(flow.cursorX(), flow.cursorFrame()), std::make_pair(45.0f, 3));
}

}  // namespace
}  // namespace varnholt::testing
