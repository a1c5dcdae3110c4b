// The party-selection screen: eight portraits of the roster, the status panel of the character under
// the cursor, and Enter adding that character to the coming battle on a random free cell.
#include "app/game.h"
#include "content/content_report.h"
#include "engine/engine.h"
#include "flow/screen_rules.h"

#include <algorithm>
#include <string>

namespace varnholt::app {
namespace {

constexpr int kStatusPanelX = 0;
constexpr int kStatusPanelY = 301;
constexpr int kMessageX = 50;
constexpr int kMessageY = 250;
constexpr COLORREF kTextColour = makeColorRef(32, 32, 32);

}  // namespace

Screen Game::selectionScreen() {
  if (loadBackground(pictures::kSelection, false)) drawBackground(true);

  const int shown = std::min(flow_.roster.count(), kSelectionSlots);
  for (int k = 0; k < shown; ++k) {
    const Character character = flow_.roster.at(k);
    if (!loadBitmapFile(bitmapFile, character.pictureFile)) continue;
    if (k == 0) setPalette(bitmapFile.palette);
    drawPictureCell(bitmapFile, pictures::characters::facing(pictures::characters::kPartyScreenFacing),
                    kPortraitX0 + kPortraitStep * k, kPortraitY);
    unloadBitmapFile(bitmapFile);
  }
  if (auto k = rosterIndexAtCursor(flow_.cursorX(), flow_.roster.count())) {
    view_.drawStatusPanel(flow_.roster.at(*k), kStatusPanelX, kStatusPanelY);
  }

  readKeyboard();
  waitClock(70);
  const float x = flow_.cursorX();
  if (keyDown(platform::DIK_LEFT)) {
    flow_.setCursor(selectionCursorLeft(x), flow_.cursorY(), flow_.cursorFrame());
  } else if (keyDown(platform::DIK_RIGHT)) {
    flow_.setCursor(selectionCursorRight(x), flow_.cursorY(), flow_.cursorFrame());
  } else if (keyDown(platform::DIK_RETURN)) {
    if (auto k = rosterIndexAtCursor(x, flow_.roster.count())) addToParty(*k);
  }

  reportWhenThePartyCannotBeCompleted();
  const bool partyComplete = flow_.partyCount == GameFlowState::partySize;
  if (partyComplete) loadBackground(pictures::kBattlefield, false);
  drawText(flow_.messageText, kMessageX, kMessageY, kTextColour, backBuffer);
  drawSprite(flow_.cursorSprite, backBuffer);
  flipDisplay();
  return partyComplete ? Screen::Battle : Screen::Selection;
}

void Game::addToParty(int rosterIndex) {
  Character character = flow_.roster.at(rosterIndex);
  if (battle_.units.find(character) != -1) {
    flow_.setMessage("Already Added");
    return;
  }
  auto cell = placePartyMember(battle_.map, random_);
  if (!cell) {
    // The map of this battle has no free cell left where the party is placed; say so rather than let
    // Enter do nothing.
    const std::string why = "No free cell left for the party";
    flow_.setMessage(why.c_str());
    content::reportContentProblem(why + " in battle " + std::to_string(battle_.battleNumber) +
                                  " (mapdb.txt, battledb.txt)");
    return;
  }
  if (!battle_.addCombatant(character, cell->column, cell->row, kPlayerSide)) return;
  flow_.partyCount += 1;
  flow_.setMessage("Added to Battle");
}

// A roster of fewer characters than a party needs (chardb.txt lacks some of numbers 1 to 8) leaves the
// screen with nothing more to pick once every shown character is in: the message line says why, and so
// does standard error, once. Content with eight characters never gets here.
void Game::reportWhenThePartyCannotBeCompleted() {
  const int choosable = std::min(flow_.roster.count(), kSelectionSlots);
  if (choosable >= GameFlowState::partySize || flow_.partyCount < choosable) return;
  // Short enough for the message box under the portraits.
  const std::string why = choosable == 0
                              ? std::string("No characters to choose (chardb.txt)")
                              : "Only " + std::to_string(choosable) + " characters; a party needs " +
                                    std::to_string(GameFlowState::partySize);
  flow_.setMessage(why.c_str());
  content::reportContentProblem(why + "; Escape quits");
}

}  // namespace varnholt::app
