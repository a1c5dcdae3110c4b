// The battle view: status panel texts, the skill list's highlight and its effects, cell marker places,
// the turn line, the sprites built for a battle, and a marker's pixels on the engine's back buffer.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle_view/battle_view.h"
#include "battle_view/engine_canvas.h"
#include "engine/engine.h"
#include "platform/headless/headless_platform.h"

namespace varnholt {
namespace {

// Every drawing as one line: "text@x,y", "indexed<colour> text@x,y" or "file WxH(c,r)@x,y".
class RecordingCanvas : public BattleCanvas {
 public:
  std::vector<std::string> calls;

  void drawText(const char* text, int x, int y) override { calls.push_back(text + at(x, y)); }
  void drawTextIndexed(const char* text, int x, int y, int colorIndex) override {
    calls.push_back("indexed" + std::to_string(colorIndex) + " " + text + at(x, y));
  }
  void drawSheetCell(const char* file, int width, int height, int column, int row, int x, int y) override {
    calls.push_back(std::string(file) + " " + std::to_string(width) + "x" + std::to_string(height) + "(" +
                    std::to_string(column) + "," + std::to_string(row) + ")" + at(x, y));
  }
  void drawSprite(Sprite&) override {}
  int screenHeight() const override { return 600; }

  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& c : calls) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

 private:
  static std::string at(int x, int y) { return "@" + std::to_string(x) + "," + std::to_string(y); }
};

class BattleViewTest : public ::testing::Test {
 protected:
  BattleViewTest() : battle(database, flow, random), view(database, canvas) {
    database.baseDirectory = "fixtures";
    battle.setPresentation(&view);
    battle.loadMap(1);
  }
  GameDatabase database;
  BattleFlowState flow;
  RandomGenerator random;
  Battle battle;
  RecordingCanvas canvas;
  BattleView view;
};

TEST_F(BattleViewTest, TheStatusPanelDrawsItsPortraitAndTextsInOrderWithTheirBlanks) {
  Character gorm = database.getCharacter(7);  // level 3, exp 140, an Elf Ranger
  gorm.hp = 120;
  gorm.sp = 30;
  gorm.atk = 14;
  gorm.def = -2;
  gorm.matk = 9;
  gorm.mdef = 11;
  gorm.hit = 12;
  gorm.flee = 13;
  gorm.aspd = 6;
  view.drawStatusPanel(gorm, 400, 0);
  const std::string b8(8, ' ');
  EXPECT_EQ(canvas.calls, (std::vector<std::string>{
                              "gorm.bmp 56x65(4,0)@400,0", "Gorm@456,0", "Class: @400,75", "Ranger@460,75",
                              "Race: @530,75", "Elf@590,75", "HP:120" + b8 + "SP: 30" + b8 + "AP:0@400,90",
                              "Atk:14" + b8 + "Def: -2" + b8 + "Matk:9" + b8 + "Mdef:11@400,105",
                              "Lvl:3" + std::string(13, ' ') + "Exp: 140@456,15",
                              "Hit:12" + b8 + "Flee: 13" + b8 + "Aspd:6@400,120"}));
}

TEST_F(BattleViewTest, CellMarkersAndTheTurnLineStandWhereTheGridPutsThem) {
  view.drawCellMarker(1, 1);
  view.drawCellMarker(10, 10);
  battle.moveCells.add({3, 2});
  battle.targetCells.add({1, 4});
  view.drawMoveCells(battle);
  view.drawTargetCells(battle);
  view.drawTurnLine("Aldric");
  EXPECT_EQ(canvas.calls, (std::vector<std::string>{"cur.bmp 56x40(2,0)@5,105", "cur.bmp 56x40(2,0)@347,447",
                                                    "cur.bmp 56x40(2,0)@81,143", "cur.bmp 56x40(2,0)@5,219",
                                                    "indexed50 Aldric@0,568", "indexed50 's turn@40,568"}));
}

TEST_F(BattleViewTest, TheSkillListHighlightsTheLineTenPixelsBelowTheCursor) {
  battle.addCombatant(database.getCharacter(7), 5, 5, 1);  // twelve skills; skill n reaches n % 3 + 1
  battle.acting = battle.units.at(0);
  struct Case {
    float cursorY;
    int highlighted;  // 0: none
  };
  for (const Case& c : {Case{390, 1}, Case{405, 2}, Case{400, 0}, Case{540, 11}, Case{555, 0}}) {
    canvas.calls.clear();
    battle.targetCells.clear();
    battle.targetCells.add({9, 9});
    flow.setCursor(390, c.cursorY, 2);
    flow.skillPickRequest = SkillPick::TakeHighlighted;
    flow.selectedSkill = 99;
    view.drawSkillList(battle, battle.highlightSkill());
    EXPECT_EQ(flow.skillPickRequest, SkillPick::None);
    EXPECT_EQ(canvas.count("Skill"), 12);
    EXPECT_EQ(canvas.count("Skill12@550,400"), 1);
    EXPECT_EQ(canvas.count("Skill11@450,550"), 1);
    const int range = c.highlighted % 3 + 1;
    const int marked = c.highlighted ? 2 * range * (range + 1) + 1 : 0;
    EXPECT_EQ(flow.selectedSkill, c.highlighted ? c.highlighted : 99) << c.cursorY;
    EXPECT_EQ(battle.targetCells.count(), c.highlighted ? marked : 1) << c.cursorY;
    EXPECT_EQ(canvas.count("cur.bmp"), marked) << c.cursorY;
    if (c.highlighted) {
      const std::string name = "Skill" + std::to_string(c.highlighted) + "@";
      std::size_t line = 0;
      while (canvas.calls[line].rfind(name, 0) != 0) ++line;
      EXPECT_EQ(canvas.calls[line + 1 + static_cast<std::size_t>(marked)],
                "Line " + std::to_string(c.highlighted) + " of the list@450,575");
    }
  }
}

TEST_F(BattleViewTest, EffectSpritesStartHiddenWithOneSequencePerSwing) {
  view.createEffectSprites(battle);
  const Sprite& sword = battle.swordSprite;
  EXPECT_EQ(sword.attributes, SPRITE_MULTI_ANIMATION);
  EXPECT_EQ(battle.hitSprite.attributes, SPRITE_MULTI_ANIMATION);
  EXPECT_EQ(
      std::vector<int>({sword.frameCount, sword.animSpeed, sword.currentAnimation, battle.hitSprite.height}),
      std::vector<int>({32, 5, 1, 72}));
  EXPECT_EQ(battle.hitSprite.animations[1], (std::vector<int>{4, 5, 6, 7, 8, -1}));
  // Each weapon's swing: 1 the sheet's first row, 2 its third, 3 its fourth, 4 its second.
  Sprite swing = sword;
  std::vector<int> shown;
  for (int weapon = 1; weapon <= 4; ++weapon) {
    setSpriteAnimation(swing, weapon);
    for (int call = 1; call <= 15; ++call) {
      animateSprite(swing);
      if (call % 5 == 0) shown.push_back(swing.currentFrame);
    }
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 7, 8, 6, 10, 11, 9, 4, 5, 3}));
}

TEST_F(BattleViewTest, AUnitSpriteIsCreatedVisibleOnItsCombatantsCell) {
  battle.addCombatant(database.getCharacter(1), 10, 10, 1);
  const Sprite& sprite = battle.unitSprites[0];
  EXPECT_EQ(sprite.attributes & ~SPRITE_LOADED, SPRITE_VISIBLE | SPRITE_MULTI_FRAME);
  EXPECT_EQ(std::vector<int>({sprite.frameCount, sprite.width, sprite.height, sprite.currentFrame}),
            std::vector<int>({32, 56, 56, 0}));
  EXPECT_EQ(std::make_pair(sprite.x, sprite.y), std::make_pair(350.0f, 438.0f));
}

}  // namespace
}  // namespace varnholt

namespace varnholt {
namespace {

namespace fs = std::filesystem;

// The inked pixels of the marker cell in the test sheet: a diagonal pattern, index 0 elsewhere in it.
std::uint8_t sheetPixel(int x, int y) {
  const bool inMarkerCell = x >= 115 && x <= 170 && y >= 1 && y <= 40;
  return inMarkerCell ? ((x + y) % 3 == 0 ? 0 : 9) : 7;
}

TEST(EngineCanvas, AMarkerChangesOnlyTheInkedPixelsOfItsCellEvenWhenKept) {
  platform::HeadlessPlatform headless;
  platform::setCurrent(&headless);
  ASSERT_EQ(initDisplay(800, 600, 8, 0), 1);
  const fs::path folder = fs::temp_directory_path() / ("varnholt-canvas-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::vector<std::uint8_t> sheet(229 * 42);
  for (int y = 0; y < 42; ++y)
    for (int x = 0; x < 229; ++x) sheet[static_cast<std::size_t>(y * 229 + x)] = sheetPixel(x, y);
  const PALETTEENTRY palette[256] = {};
  ASSERT_EQ(writeBitmapFile((folder / "cur.bmp").string(), 229, 42, sheet.data(), 229, palette), 1);

  EngineCanvas canvas;
  for (int round = 0; round < 2; ++round) {
    fillSurface(backBuffer, 0);
    canvas.drawSheetCell((folder / "cur.bmp").c_str(), 56, 40, 2, 0, 5, 105);
    int wrong = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) {
        const bool inside = x >= 5 && x <= 60 && y >= 105 && y <= 144;
        const int expected = inside ? sheetPixel(x - 5 + 115, y - 105 + 1) : 0;
        wrong += backBuffer->pixels[static_cast<std::size_t>(y * backBuffer->pitch + x)] != expected;
      }
    EXPECT_EQ(wrong, 0) << "round " << round;
  }
  EXPECT_EQ(canvas.keptCells(), 1u);
  fs::remove_all(folder);
  resetEngine();
  platform::setCurrent(nullptr);
}

}  // namespace
}  // namespace varnholt
