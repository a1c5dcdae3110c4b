#pragma once
// Every picture the game loads, drawn from code: the full-screen pictures, the battle sheets and the
// character sheets. The same fonts give the same bytes on every run.

#include <string>
#include <vector>

#include "art/canvas.h"
#include "art/text.h"
#include "data/campaign_pictures.h"

namespace varnholt::art {

struct Picture {
  std::string fileName;
  Canvas canvas;
};

// The pictures in a fixed order.
std::vector<Picture> campaignPictures(TextPainter& text);

// Writes every picture and "PALDATA2.PAL" into `folder` (which must exist). False with `error` set on
// the first failure.
bool writeCampaignPictures(const std::string& folder, TextPainter& text, std::string& error);

// Sizes the game relies on.
inline constexpr int SCREEN_WIDTH = pictures::kScreenWidth;
inline constexpr int SCREEN_HEIGHT = pictures::kScreenHeight;

// A sheet as written: its cells, the line closing the last cell, and the width rounded up to a multiple
// of 4 so that rows need no padding.
constexpr int sheetWidth(int cellsRight) {
  return (cellsRight + 1 + 3) / 4 * 4;
}
constexpr int sheetHeight(int cellsBottom) {
  return cellsBottom + 1;
}
// Result pictures are read from pixel (1, 1): one more column than the screen (rounded up to a multiple
// of 4) and one more row.
inline constexpr int RESULT_WIDTH = sheetWidth(pictures::kResultCell.right());
inline constexpr int RESULT_HEIGHT = pictures::kResultCell.bottom();
static_assert(RESULT_WIDTH == 804 && RESULT_HEIGHT == 601);

}  // namespace varnholt::art
