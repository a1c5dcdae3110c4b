// The end of a turn: the queue's rotation, the defeat pass, the roster updates and when a battle is
// decided.

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class EndOfTurn : public BattleTest {
 protected:
  void SetUp() override {
    useMap();
    add(20, 6, 1, 2);
    add(21, 6, 2, 2);
    add(22, 6, 3, 2);
    add(1, 1, 1, 1);
    add(2, 1, 2, 1);
    for (int id = 1; id <= 8; ++id) flow.roster.add(database.getCharacter(id));
  }

  std::vector<int> rosterIds() const {
    std::vector<int> ids;
    for (int i = 0; i < flow.roster.count(); ++i) ids.push_back(flow.roster.at(i).id);
    return ids;
  }
};

TEST_F(EndOfTurn, WithoutDefeatsItOnlyRotatesTheQueue) {
  actAs(21);
  flow.cursorMode = 2;
  flow.battleCommand = 1;
  flow.setMessage("Not Enough SP");
  EXPECT_EQ(battle.endTurn(), TurnEnd::Continues);
  EXPECT_EQ(order(), (std::vector<int>{20, 22, 1, 2, 21}));
  EXPECT_EQ(unit(21).ap, -15);
  EXPECT_STREQ(flow.messageText, " ");
  EXPECT_EQ(battle.moveCells.count(), 0);
  EXPECT_EQ(battle.targetCells.count(), 0);
  EXPECT_EQ(flow.cursorMode, 0);
  EXPECT_EQ(flow.battleCommand, 0);
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(outcome.defeats + outcome.victories, 0);
}

TEST_F(EndOfTurn, TwoDefeatedNeighboursInTheListAreBothRemoved) {
  edit(21, [](Character& c) { c.hp = 0; });
  edit(22, [](Character& c) { c.hp = -7; });
  for (Sprite& sprite : battle.unitSprites) showSprite(sprite);
  actAs(1);
  EXPECT_EQ(battle.endTurn(), TurnEnd::Continues);
  EXPECT_EQ(order(), (std::vector<int>{20, 2, 1}));
  EXPECT_EQ(battle.map.occupancy[6][2], 0);
  EXPECT_EQ(battle.map.occupancy[6][3], 0);
  EXPECT_EQ(battle.map.occupancy[6][1], 20);
  EXPECT_FALSE(battle.unitSprites[1].attributes & SPRITE_VISIBLE);
  EXPECT_FALSE(battle.unitSprites[2].attributes & SPRITE_VISIBLE);
  EXPECT_TRUE(battle.unitSprites[0].attributes & SPRITE_VISIBLE);
  // Computer's combatants never join the roster.
  EXPECT_EQ(flow.roster.count(), 8);
}

TEST_F(EndOfTurn, TheLastComputerCombatantFallingWinsOnlyAtTheNextEndOfTurn) {
  for (int id : {20, 21}) battle.units.remove(unit(id));
  ASSERT_EQ(order(), (std::vector<int>{22, 1, 2}));
  edit(22, [](Character& c) { c.hp = 0; });
  actAs(1);
  EXPECT_EQ(battle.endTurn(), TurnEnd::Continues);
  EXPECT_EQ(outcome.victories, 0);
  actAs(2);
  EXPECT_EQ(battle.endTurn(), TurnEnd::Victory);
  EXPECT_EQ(outcome.victories, 1);
  EXPECT_EQ(outcome.defeats, 0);
}

TEST_F(EndOfTurn, ADefeatedPartyMemberGoesToTheEndOfTheRosterWithItsBattleState) {
  edit(1, [](Character& c) {
    c.hp = -3;
    c.ap = -80;
  });
  actAs(20);
  battle.endTurn();
  EXPECT_EQ(rosterIds(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 1}));
  EXPECT_EQ(flow.roster.at(7).hp, -3);
  EXPECT_EQ(flow.roster.at(7).ap, -80);
  EXPECT_EQ(flow.roster.at(7).column, 1);
  EXPECT_FALSE(inBattle(1));
}

TEST_F(EndOfTurn, ASideEmptyAtTheStartOfThePassDecidesTheBattle) {
  struct Case {
    std::vector<int> present;
    TurnEnd result;
  };
  const Case cases[] = {
      {{20, 21}, TurnEnd::Defeat},
      {{1}, TurnEnd::Victory},
      {{}, TurnEnd::Defeat},  // both empty: the defeat branch
      {{20, 2}, TurnEnd::Continues},
  };
  for (const Case& c : cases) {
    UnitList kept;
    for (int i = 0; i < battle.units.count(); ++i) {
      const Character combatant = battle.units.at(i);
      for (int id : c.present)
        if (combatant.id == id) kept.add(combatant);
    }
    const UnitList all = battle.units;
    battle.units = kept;
    battle.acting = Character{};
    EXPECT_EQ(battle.endTurn(), c.result) << c.present.size();
    battle.units = all;
  }
  EXPECT_EQ(outcome.defeats, 2);
  EXPECT_EQ(outcome.victories, 1);
}

TEST_F(EndOfTurn, AWalkStillUnderWayIsCompleted) {
  actAs(1);
  battle.fillMoveCells(1, 1, 3);
  ASSERT_TRUE(battle.moveActing(3, 1));
  flow.moveTargetX = unitPixelX(3);
  flow.moveTargetY = unitPixelY(1);
  battle.walkStep(flow.moveTargetX, flow.moveTargetY);
  battle.walkStep(flow.moveTargetX, flow.moveTargetY);
  battle.endTurn();
  const Sprite& sprite = battle.unitSprites[unit(1).spriteSlot];
  EXPECT_EQ(battle.unitWalking, 0);
  EXPECT_EQ(sprite.x, static_cast<float>(unitPixelX(3)));
  EXPECT_EQ(sprite.y, static_cast<float>(unitPixelY(1)));
  EXPECT_EQ(sprite.xVelocity, 0.0f);
  EXPECT_EQ(sprite.yVelocity, 0.0f);
}

TEST_F(EndOfTurn, ACombatantNoLongerInTheBattleIsNotBroughtBack) {
  actAs(21);
  battle.units.clear();
  battle.endTurn();
  EXPECT_EQ(battle.units.count(), 0);
}

}  // namespace
}  // namespace varnholt::testing
