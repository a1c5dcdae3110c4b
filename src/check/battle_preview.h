#pragma once
// The battle preview for campaign authors: one battle of a campaign drawn as the game draws it when the
// party is about to be placed (the battlefield picture, every combatant the battle lists on its cell), with
// the cells the party may be placed on marked and a key of the combatants beside the grid. The game's own
// objects do the drawing, on the headless backend, so the picture is what a player would see.

#include <filesystem>
#include <string>

#include "app/screenshot.h"

namespace varnholt::check {

// What the preview drew, for the caller's summary.
struct BattlePreview {
  app::FrameCopy frame;  // 800 x 600 indices and the palette they are drawn with
  int mapId = 0;
  int columns = 0;
  int rows = 0;
  int combatants = 0;  // combatants the game placed
  int startCells = 0;  // cells marked as the party's
};

// Draws battle `number` of the campaign in `folder`. The game reads its files by name from the working
// directory, so the working directory is the folder while it draws and is restored afterwards. False
// with `error` set when the game cannot be set up (no font, say).
bool drawBattlePreview(const std::filesystem::path& folder, int number, BattlePreview& preview,
                       std::string& error);

// The preview written as a PNG file: a new file beside `file`, then renamed over it, so a reader never
// sees half a picture and a failed write leaves what was there. False with `error` set on failure.
bool writePreviewPng(const std::filesystem::path& file, const app::FrameCopy& frame, std::string& error);

}  // namespace varnholt::check
