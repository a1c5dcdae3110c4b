#pragma once
// The acting combatant's skill list: where its lines stand on the battle screen and which line the cursor
// highlights. The battle's skill highlight (Battle::highlightSkill) lays the list out and applies its
// effects; the battle view draws the list it gives back.

#include <array>
#include <optional>

#include "data/bounded_list.h"
#include "data/records.h"

namespace varnholt {

// The list's first column at x 450 from y 400, a line every 15 pixels; a line that would fall below y 555
// starts the second column at x 550. The highlighted skill's description stands under the list.
inline constexpr int kSkillListX = 450;
inline constexpr int kSkillListSecondX = 550;
inline constexpr int kSkillListTop = 400;
inline constexpr int kSkillListBottom = 555;
inline constexpr int kSkillLineHeight = 15;
inline constexpr int kSkillDescriptionY = 575;

// A line is highlighted while the cursor stands exactly this far left of and above its text.
inline constexpr int kSkillCursorOffsetX = 60;
inline constexpr int kSkillCursorOffsetY = 10;

// True when the cursor position equals the line's text position less the offsets (exact float equality).
constexpr bool cursorOnSkillLine(float cursorX, float cursorY, int lineX, int lineY) {
  return cursorX == static_cast<float>(lineX - kSkillCursorOffsetX) &&
         cursorY == static_cast<float>(lineY - kSkillCursorOffsetY);
}

struct SkillLine {
  int x = 0;
  int y = 0;
  SkillRecord skill;
};

// The skill list of one frame: a line for each of the acting combatant's skill ids, in list order, with
// the record looked up for it, and the line under the cursor.
struct SkillList {
  std::array<SkillLine, IdList::capacity()> lines{};
  int count = 0;
  std::optional<int> highlighted;  // an index into lines
};

}  // namespace varnholt
