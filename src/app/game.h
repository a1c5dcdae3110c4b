#pragma once
// The game: one-time start-up, the four screens (title with its intro pages, splash sequence, party
// selection, battle) the screen flow runs one a frame, the shutdown, and the handling of a won or lost
// battle. A Game owns every global object of a run (database, game-flow state, battle, battle view) and
// resets the engine and the random generator when it is made, so several games can run one after the
// other in one process.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "battle/battle.h"
#include "battle/battle_presentation.h"
#include "battle_view/battle_view.h"
#include "battle_view/engine_canvas.h"
#include "data/campaign_pictures.h"
#include "data/game_database.h"
#include "data/random.h"
#include "flow/game_flow_state.h"
#include "flow/screen_flow.h"
#include "platform/platform.h"

namespace varnholt::app {

class Game final : public BattleOutcome, private Screens {
 public:
  // Installs `platform` as the platform the engine uses and puts the engine and the random generator
  // back to their start-of-run state.
  explicit Game(platform::Platform& platform);
  ~Game() override;
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // Display, keyboard, title picture, cursor sprite, clipper, mouse pointer, effect sprites, battle 1.
  // 1 on success; 0 with failure() naming the step that failed.
  int gameInit();
  // One frame of the current screen. 0 after the title, splash and selection screens, 1 after the battle.
  int gameFrame();
  // Releases the background image and the display, once. 1.
  int gameShutdown();

  // BattleOutcome
  void handleDefeat() override;
  void handleVictory() override;

  const std::string& failure() const { return failure_; }
  bool shutDown() const { return shutDown_; }
  // How many lost battles have shown their picture; the shell around the game watches it to offer a
  // retry. The rules never read it.
  int defeats() const { return defeats_; }

  GameDatabase& database() { return database_; }
  GameFlowState& flow() { return flow_; }
  Battle& battle() { return battle_; }
  BattleView& view() { return view_; }
  RandomGenerator& random() { return random_; }
  const GameDatabase& database() const { return database_; }
  const GameFlowState& flow() const { return flow_; }
  const Battle& battle() const { return battle_; }
  const RandomGenerator& random() const { return random_; }

 private:
  // Screens: each runs one frame and returns the screen the next frame runs.
  Screen titleScreen() override;
  void introPages();
  Screen splashScreen() override;
  Screen selectionScreen() override;
  void addToParty(int rosterIndex);
  void reportWhenThePartyCannotBeCompleted();
  Screen battleScreen() override;
  void battleEnter();
  void drawCommandBar();

  void readKeyboard();
  bool keyDown(int code) const { return keyState_[code] != 0; }

  // Loads `file` into the background image (pixel mode at (0, 0)), setting the display palette from it
  // when asked. A picture that cannot be loaded leaves the background as it was; false then.
  bool loadBackground(const char* file, bool setPicturePalette);
  // Draws the background image into the back buffer; opaque or with index 0 transparent.
  void drawBackground(bool transparent);
  // Loads a picture as background with its palette, draws it transparent over the frame and presents.
  void showPicture(const char* file);
  // A result picture: the 800 x 600 rectangle from pixel (1, 1) of the file over the frame, presented
  // and kept on screen until 10 s after the frame start.
  void showResultPicture(const char* file);
  // A cell of a picture sheet drawn at (x, y) through the scratch image, index 0 transparent.
  void drawPictureCell(const BitmapFile& picture, const pictures::SheetCell& cell, int x, int y);

  // The command bar's buttons, cut once from their picture (its pixels are the same on every frame),
  // with the headers and palette its load leaves in the loading station.
  struct CommandBar {
    bool loaded = false;
    BITMAPFILEHEADER fileHeader{};
    BITMAPINFOHEADER infoHeader{};
    PALETTEENTRY palette[256] = {};
    std::array<BitmapImage, pictures::buttons::kCount> buttons;
  };

  platform::Platform& platform_;
  RandomGenerator& random_;
  GameDatabase database_;
  GameFlowState flow_;
  Battle battle_;
  EngineCanvas canvas_;
  BattleView view_;
  std::uint8_t keyState_[256] = {};
  std::string failure_;
  bool displayUp_ = false;
  bool shutDown_ = false;
  int defeats_ = 0;
  // The screen the battle screen's frame hands over to: the selection once a victory within the frame
  // has loaded the next battle, else the battle again.
  Screen afterBattleFrame_ = Screen::Battle;
  CommandBar commandBar_;
};

}  // namespace varnholt::app
