#pragma once
// Every picture the game loads, drawn from code: the full-screen pictures, the battle sheets and the
// character sheets. The same fonts give the same bytes on every run.

#include <string>
#include <vector>

#include "art/canvas.h"
#include "art/text.h"

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
inline constexpr int SCREEN_WIDTH = 800;
inline constexpr int SCREEN_HEIGHT = 600;
// Result pictures are read from pixel (1, 1): one more row and column than the screen, width rounded up
// to a multiple of 4.
inline constexpr int RESULT_WIDTH = 804;
inline constexpr int RESULT_HEIGHT = 601;

}  // namespace varnholt::art
