// The battle view: status panel texts, the skill list's highlight and its effects on the battle, cell
// marker places, the turn line, and the sprites built for a battle.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle_view/battle_view.h"

namespace varnholt {
namespace {

struct DrawCall {
  std::string what;  // "text", "indexed" or the sheet's file name
  std::string text;
  int x = 0;
  int y = 0;
  friend bool operator==(const DrawCall&, const DrawCall&) = default;
};

std::ostream& operator<<(std::ostream& out, const DrawCall& call) {
  return out << call.what << " '" << call.text << "' at " << call.x << "," << call.y;
}

class RecordingCanvas : public BattleCanvas {
 public:
  std::vector<DrawCall> calls;
  std::vector<std::string> cells;  // "file cellW x cellH (column,row)"
  int sprites = 0;

  void drawText(const char* text, int x, int y) override { calls.push_back({"text", text, x, y}); }
  void drawTextIndexed(const char* text, int x, int y, int colorIndex) override {
    calls.push_back({"indexed " + std::to_string(colorIndex), text, x, y});
  }
  void drawSheetCell(const char* file, int cellWidth, int cellHeight, int cellColumn, int cellRow, int x,
                     int y) override {
    calls.push_back({file, "", x, y});
    cells.push_back(std::string(file) + " " + std::to_string(cellWidth) + "x" + std::to_string(cellHeight) +
                    " (" + std::to_string(cellColumn) + "," + std::to_string(cellRow) + ")");
  }
  void drawSprite(Sprite&) override { ++sprites; }
  int screenHeight() const override { return 600; }

  std::vector<DrawCall> texts() const {
    std::vector<DrawCall> out;
    for (const DrawCall& c : calls)
      if (c.what == "text") out.push_back(c);
    return out;
  }
  int markers() const {
    int n = 0;
    for (const DrawCall& c : calls) n += c.what == "cur.bmp" ? 1 : 0;
    return n;
  }
};

class BattleViewTest : public ::testing::Test {
 protected:
  BattleViewTest() : battle(database, flow, random), view(database, flow, canvas) {
    database.baseDirectory = "fixtures";
    battle.setPresentation(&view);
    battle.loadMap(1);
  }

  GameDatabase database;
  GameFlowState flow;
  RandomGenerator random;
  Battle battle;
  RecordingCanvas canvas;
  BattleView view;
};

TEST_F(BattleViewTest, TheStatusPanelDrawsItsPortraitAndTextsInOrderWithTheirBlanks) {
  Character gorm = database.getCharacter(7);
  gorm.hp = 120;
  gorm.sp = 30;
  gorm.ap = 0;
  gorm.atk = 14;
  gorm.def = -2;
  gorm.matk = 9;
  gorm.mdef = 11;
  gorm.hit = 12;
  gorm.flee = 13;
  gorm.aspd = 6;
  view.drawStatusPanel(gorm, 400, 0);
  ASSERT_EQ(canvas.cells, (std::vector<std::string>{"gorm.bmp 56x65 (4,0)"}));
  EXPECT_EQ(canvas.calls.front(), (DrawCall{"gorm.bmp", "", 400, 0}));
  const std::string eight(8, ' ');
  const std::string thirteen(13, ' ');
  EXPECT_EQ(canvas.texts(),
            (std::vector<DrawCall>{
                {"text", "Gorm", 456, 0},
                {"text", "Class: ", 400, 75},
                {"text", "Ranger", 460, 75},
                {"text", "Race: ", 530, 75},
                {"text", "Elf", 590, 75},
                {"text", "HP:120" + eight + "SP: 30" + eight + "AP:0", 400, 90},
                {"text", "Atk:14" + eight + "Def: -2" + eight + "Matk:9" + eight + "Mdef:11", 400, 105},
                {"text", "Lvl:3" + thirteen + "Exp: 140", 456, 15},
                {"text", "Hit:12" + eight + "Flee: 13" + eight + "Aspd:6", 400, 120},
            }));
}

TEST_F(BattleViewTest, CellMarkersStandThirtyEightPixelsApartFromFiveOneHundredFive) {
  view.drawCellMarker(1, 1);
  view.drawCellMarker(10, 10);
  EXPECT_EQ(canvas.calls, (std::vector<DrawCall>{{"cur.bmp", "", 5, 105}, {"cur.bmp", "", 347, 447}}));
  EXPECT_EQ(canvas.cells.front(), "cur.bmp 56x40 (2,0)");
  canvas.calls.clear();
  battle.moveCells.add(GridPos{3, 2});
  battle.moveCells.add(GridPos{1, 4});
  battle.targetCells.add(GridPos{2, 2});
  view.drawMoveCells(battle);
  view.drawTargetCells(battle);
  EXPECT_EQ(canvas.calls, (std::vector<DrawCall>{
                              {"cur.bmp", "", 81, 143}, {"cur.bmp", "", 5, 219}, {"cur.bmp", "", 43, 143}}));
}

TEST_F(BattleViewTest, TheTurnLineUsesPaletteColourFiftyNearTheBottom) {
  view.drawTurnLine("Aldric");
  EXPECT_EQ(canvas.calls,
            (std::vector<DrawCall>{{"indexed 50", "Aldric", 0, 568}, {"indexed 50", "'s turn", 40, 568}}));
}

class SkillList : public BattleViewTest {
 protected:
  void SetUp() override {
    battle.addCombatant(database.getCharacter(7), 5, 5, 1);
    battle.acting = battle.units.at(0);
    battle.targetCells.add(GridPos{9, 9});
  }

  std::vector<DrawCall> names() const {
    std::vector<DrawCall> out;
    for (const DrawCall& c : canvas.texts())
      if (c.text.rfind("Skill", 0) == 0) out.push_back(c);
    return out;
  }
};

TEST_F(SkillList, TwelveSkillsFillTheFirstColumnAndStartASecond) {
  flow.setCursor(0, 0, 2);
  view.drawSkillList(battle);
  const std::vector<DrawCall> lines = names();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], (DrawCall{"text", "Skill1", 450, 400}));
  EXPECT_EQ(lines[10], (DrawCall{"text", "Skill11", 450, 550}));
  EXPECT_EQ(lines[11], (DrawCall{"text", "Skill12", 550, 400}));
  // Nothing highlighted: the targets stay as they were.
  EXPECT_EQ(battle.targetCells.count(), 1);
}

TEST_F(SkillList, TheLineTenPixelsBelowTheCursorIsHighlighted) {
  struct Case {
    float cursorY;
    int highlighted;  // skill id, 0 for none
  };
  for (const Case& c : {Case{390, 1}, Case{405, 2}, Case{400, 0}, Case{540, 11}, Case{555, 0}}) {
    canvas.calls.clear();
    battle.targetCells.clear();
    battle.targetCells.add(GridPos{9, 9});
    flow.setCursor(390, c.cursorY, 2);
    flow.skillPickRequest = 10;
    flow.selectedSkill = 99;
    view.drawSkillList(battle);
    EXPECT_EQ(flow.skillPickRequest, 0);
    if (c.highlighted == 0) {
      EXPECT_EQ(flow.selectedSkill, 99) << c.cursorY;
      EXPECT_EQ(canvas.markers(), 0) << c.cursorY;
      EXPECT_EQ(battle.targetCells.count(), 1) << c.cursorY;
      continue;
    }
    EXPECT_EQ(flow.selectedSkill, c.highlighted) << c.cursorY;
    // The description follows the highlighted line's name.
    const std::vector<DrawCall> texts = canvas.texts();
    const std::size_t line = static_cast<std::size_t>(c.highlighted) - 1;
    ASSERT_GT(texts.size(), line + 1);
    EXPECT_EQ(texts[line].text, "Skill" + std::to_string(c.highlighted));
    EXPECT_EQ(texts[line + 1],
              (DrawCall{"text", "Line " + std::to_string(c.highlighted) + " of the list", 450, 575}))
        << c.cursorY;
    // The targets are the highlighted skill's diamond around the acting combatant, all marked.
    const int range = c.highlighted % 3 + 1;
    EXPECT_EQ(battle.targetCells.count(), 2 * range * (range + 1) + 1) << c.cursorY;
    EXPECT_EQ(canvas.markers(), battle.targetCells.count());
  }
}

TEST_F(SkillList, WithoutARequestTheSelectionStays) {
  flow.setCursor(390, 390, 2);
  flow.selectedSkill = 4;
  view.drawSkillList(battle);
  EXPECT_EQ(flow.selectedSkill, 4);
}

TEST_F(BattleViewTest, EffectSpritesStartHiddenWithOneSequencePerSwing) {
  view.createEffectSprites(battle);
  const Sprite& sword = battle.swordSprite;
  const Sprite& hit = battle.hitSprite;
  EXPECT_EQ(sword.attributes, SPRITE_MULTI_ANIMATION);
  EXPECT_EQ(hit.attributes, SPRITE_MULTI_ANIMATION);
  EXPECT_EQ(sword.width, 56);
  EXPECT_EQ(hit.height, 72);
  EXPECT_EQ(sword.frameCount, 32);
  EXPECT_EQ(sword.animations[1], (std::vector<int>{0, 1, 2, -1}));
  EXPECT_EQ(sword.animations[4], (std::vector<int>{3, 4, 5, -1}));
  EXPECT_EQ(sword.animations[2], (std::vector<int>{6, 7, 8, -1}));
  EXPECT_EQ(sword.animations[3], (std::vector<int>{9, 10, 11, -1}));
  EXPECT_EQ(hit.animations[0], (std::vector<int>{0, 1, 2, 3, -1}));
  EXPECT_EQ(hit.animations[1], (std::vector<int>{4, 5, 6, 7, 8, -1}));
  EXPECT_EQ(sword.animSpeed, 5);
  EXPECT_EQ(sword.currentAnimation, 1);
  EXPECT_EQ(hit.currentAnimation, 0);
  EXPECT_EQ(sword.x, 0.0f);

  // Swing 4, animated 15 times from a fresh start, shows 4 and 5 and then 3.
  Sprite swing = sword;
  setSpriteAnimation(swing, 4);
  std::vector<int> shown;
  for (int call = 1; call <= 15; ++call) {
    animateSprite(swing);
    if (call % 5 == 0) shown.push_back(swing.currentFrame);
  }
  EXPECT_EQ(shown, (std::vector<int>{4, 5, 3}));
}

TEST_F(BattleViewTest, AUnitSpriteIsCreatedVisibleOnItsCombatantsCell) {
  battle.addCombatant(database.getCharacter(1), 10, 10, 1);
  battle.addCombatant(database.getCharacter(7), 1, 1, 1);
  const Sprite& first = battle.unitSprites[0];
  EXPECT_EQ(first.attributes & ~SPRITE_LOADED, SPRITE_VISIBLE | SPRITE_MULTI_FRAME);
  EXPECT_EQ(first.frameCount, 32);
  EXPECT_EQ(first.width, 56);
  EXPECT_EQ(first.currentFrame, 0);
  EXPECT_EQ(first.x, 350.0f);
  EXPECT_EQ(first.y, 438.0f);
  EXPECT_EQ(battle.unitSprites[1].x, 8.0f);
  EXPECT_EQ(battle.unitSprites[1].y, 96.0f);
}

}  // namespace
}  // namespace varnholt
