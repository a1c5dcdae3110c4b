// The status panel of a character: portrait, name, level, class, race and the derived statistics.

#include <cstdio>

#include "battle_view/battle_view.h"
#include "data/campaign_pictures.h"

namespace varnholt {

void BattleView::drawStatusPanel(const Character& character, int x, int y) {
  constexpr pictures::SheetCell portrait = pictures::characters::kPortrait;
  canvas_.drawSheetCell(character.pictureFile, portrait.width, portrait.height, portrait.column, portrait.row,
                        x, y);

  const ClassRecord characterClass = database_.getClass(character.classId);
  const RaceRecord race = database_.getRace(character.raceId);
  char line[128];
  // The blanks inside the lines are part of the layout: 13 between the level and "Exp", 8 before each
  // further label.

  canvas_.drawText(character.name, x + 56, y);
  canvas_.drawText("Class: ", x, y + 75);
  canvas_.drawText(characterClass.name, x + 60, y + 75);
  canvas_.drawText("Race: ", x + 130, y + 75);
  canvas_.drawText(race.name, x + 190, y + 75);
  std::snprintf(line, sizeof line, "HP:%d        SP: %d        AP:%d", character.hp, character.sp,
                character.ap);
  canvas_.drawText(line, x, y + 90);
  std::snprintf(line, sizeof line, "Atk:%d        Def: %d        Matk:%d        Mdef:%d", character.atk,
                character.def, character.matk, character.mdef);
  canvas_.drawText(line, x, y + 105);
  std::snprintf(line, sizeof line, "Lvl:%d             Exp: %d", character.level, character.exp);
  canvas_.drawText(line, x + 56, y + 15);
  std::snprintf(line, sizeof line, "Hit:%d        Flee: %d        Aspd:%d", character.hit, character.flee,
                character.aspd);
  canvas_.drawText(line, x, y + 120);
}

}  // namespace varnholt
