// The end of a turn: the queue's rotation, the defeat pass, the roster and when a battle is decided.

#include <algorithm>

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class EndOfTurn : public BattleTest {
 protected:
  void SetUp() override {
    const int placed[][3] = {{20, 6, 1}, {21, 6, 2}, {22, 6, 3}, {1, 1, 1}, {2, 1, 2}};
    for (const auto& p : placed) add(p[0], p[1], p[2], p[0] < 20 ? 1 : 2);
    for (int id = 1; id <= 8; ++id) flow.roster.add(database.getCharacter(id));
  }
  void defeat(int id) {
    edit(id, [](Character& c) { c.hp = 0; });
  }
};

TEST_F(EndOfTurn, WithoutDefeatsItOnlyRotatesTheQueue) {
  actAs(21);
  flow.setMessage("Not Enough SP");
  flow.battleCommand = BattleCommand::Move;
  EXPECT_EQ(battle.endTurn(), TurnEnd::Continues);
  EXPECT_EQ(order(), (std::vector<int>{20, 22, 1, 2, 21}));
  EXPECT_EQ(unit(21).ap, -15);
  EXPECT_STREQ(flow.messageText, " ");
  EXPECT_EQ(battle.moveCells.count() + battle.targetCells.count(), 0);
  EXPECT_EQ(flow.cursorMode, CursorMode::None);
  EXPECT_EQ(flow.battleCommand, BattleCommand::None);
  EXPECT_EQ(battle.state, kStateChoosing);
}

TEST_F(EndOfTurn, TwoDefeatedNeighboursInTheListAreBothRemovedAndHidden) {
  defeat(21);
  defeat(22);
  for (Sprite& sprite : battle.unitSprites) showSprite(sprite);
  actAs(1);
  battle.endTurn();
  EXPECT_EQ(order(), (std::vector<int>{20, 2, 1}));
  EXPECT_EQ(battle.map.occupancy[6][2] + battle.map.occupancy[6][3], 0);
  EXPECT_EQ(battle.unitSprites[1].attributes & SPRITE_VISIBLE, 0);
  EXPECT_EQ(battle.unitSprites[2].attributes & SPRITE_VISIBLE, 0);
  EXPECT_NE(battle.unitSprites[0].attributes & SPRITE_VISIBLE, 0);
  EXPECT_EQ(flow.roster.count(), 8);  // the computer's side never joins the roster
}

TEST_F(EndOfTurn, TheLastRaiderFallingWinsOnlyAtTheNextEndOfTurn) {
  battle.units.remove(unit(20));
  battle.units.remove(unit(21));
  defeat(22);
  actAs(1);
  EXPECT_EQ(battle.endTurn(), TurnEnd::Continues);
  actAs(2);
  EXPECT_EQ(battle.endTurn(), TurnEnd::Victory);
  EXPECT_EQ(outcome.victories, 1);
}

TEST_F(EndOfTurn, ADefeatedPartyMemberGoesToTheRostersEndWithItsBattleState) {
  edit(1, [](Character& c) { c.hp = -3; });
  actAs(20);
  battle.endTurn();
  std::vector<int> ids;
  for (int i = 0; i < flow.roster.count(); ++i) ids.push_back(flow.roster.at(i).id);
  EXPECT_EQ(ids, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 1}));
  EXPECT_EQ(flow.roster.at(7).hp, -3);
  EXPECT_EQ(unit(1).id, 0);
}

TEST_F(EndOfTurn, ASideEmptyAtTheStartOfThePassDecidesTheBattle) {
  struct Case {
    std::vector<int> present;
    TurnEnd result;
  };
  const UnitList all = battle.units;
  for (const Case& c : {Case{{20, 21}, TurnEnd::Defeat}, Case{{1}, TurnEnd::Victory},
                        Case{{}, TurnEnd::Defeat}, Case{{20, 2}, TurnEnd::Continues}}) {
    battle.units.clear();
    for (int i = 0; i < all.count(); ++i)
      if (std::count(c.present.begin(), c.present.end(), all.at(i).id)) battle.units.add(all.at(i));
    // A working copy no longer in the battle is not brought back.
    battle.acting = Character{};
    battle.acting.id = 99;
    EXPECT_EQ(battle.endTurn(), c.result) << c.present.size();
    EXPECT_EQ(battle.units.count(), static_cast<int>(c.present.size()));
  }
  EXPECT_EQ(outcome.defeats, 2);
}

TEST_F(EndOfTurn, AWalkStillUnderWayIsCompleted) {
  actAs(1);
  ASSERT_TRUE(battle.moveActing(3, 1));
  flow.moveTargetX = unitPixelX(3);
  flow.moveTargetY = unitPixelY(1);
  battle.walkStep(flow.moveTargetX, flow.moveTargetY);
  battle.walkStep(flow.moveTargetX, flow.moveTargetY);
  battle.endTurn();
  const Sprite& sprite = battle.unitSprites[3];
  EXPECT_EQ(battle.unitWalking, 0);
  EXPECT_EQ(std::make_pair(sprite.x, sprite.y), std::make_pair(84.0f, 96.0f));
  EXPECT_EQ(std::make_pair(sprite.xVelocity, sprite.yVelocity), std::make_pair(0.0f, 0.0f));
}

}  // namespace
}  // namespace varnholt::testing
