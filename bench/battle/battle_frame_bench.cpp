// The battle's share of a busy battle-screen frame: step, the skill list with its 50 marked target cells,
// the target markers drawn again by the skill command, drawOverlay with 13 unit sprites, and the two
// status panels, all on the headless display. Also the rules alone (step and drawOverlay without drawing)
// and the target fill that a full skill range costs.
//
// The pictures and databases are written into a temporary folder at start-up; nothing is read from the
// repository.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle_view/battle_view.h"
#include "battle_view/engine_canvas.h"
#include "engine/engine.h"
#include "platform/headless/headless_platform.h"

namespace varnholt {
namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path) << text;
}

// A picture of `width` x `height` with a few colours, so that blits copy real pixels.
void writePicture(const fs::path& path, int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint8_t>(i % 7 == 0 ? 0 : i % 200);
  PALETTEENTRY palette[256] = {};
  for (int i = 0; i < 256; ++i) palette[i] = {static_cast<std::uint8_t>(i), 40, 80, 0};
  writeBitmapFile(path.string(), width, height, pixels.data(), width, palette);
}

std::string zeros(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += "0 ";
  return out;
}

// The content of a busy battle: 13 combatants on a 25 x 25 map, every one with a range-5 skill.
fs::path writeContent() {
  const fs::path folder = fs::temp_directory_path() / ("varnholt-battle-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  writeText(folder / "itemdb.txt", "*1 Spear 4 0 0 0 " + zeros(20) + "0 0 0 0 0 0 0 2\n*9 None 0 0 0 0 " +
                                       zeros(20) + "0 0 0 0 0 0 0 0\n");
  writeText(folder / "racedb.txt", "*1 Human 1 1 1 1 1 1 1.0 1.0 2 0\n");
  writeText(folder / "classdb.txt", "*1 Lancer 1 1 1 1 1 1 1.0 1.0 -1 1 0\n");
  std::string skills;
  for (int i = 1; i <= 6; ++i)
    skills += "* " + std::to_string(i) + " Skill" + std::to_string(i) + " 0 1 0 0 0 0 " + zeros(20) +
              "5 0 0 1.0 2 Strikes far *\n";
  writeText(folder / "skilldb.txt", skills);
  std::string characters;
  for (int id = 1; id <= 13; ++id)
    characters += "*" + std::to_string(id) + " Fighter" + std::to_string(id) +
                  " 1 1 10 10 10 10 30 10 1 0 1 2 3 4 5 6 -1 1 9 9 9 9 9 unit.bmp unused\n";
  writeText(folder / "chardb.txt", characters);
  std::string map = "*1 Field 25 25 ";
  for (int i = 0; i < 25 * 25; ++i) map += "0 ";
  writeText(folder / "mapdb.txt", map + "\n");
  writePicture(folder / "cur.bmp", 229, 42);
  writePicture(folder / "unit.bmp", 285, 66);
  writePicture(folder / "sword.bmp", 172, 229);
  writePicture(folder / "hit.bmp", 286, 147);
  return folder;
}

class BusyBattle {
 public:
  BusyBattle() : folder_(writeContent()), battle_(database_, flow_, random_), view_(database_, canvas_) {
    platform::setCurrent(&platform_);
    ok_ = initDisplay(800, 600, 8, 0) == 1;
    fs::current_path(folder_);
    battle_.setPresentation(&view_);
    view_.createEffectSprites(battle_);
    battle_.loadMap(1);
    // Eight on the computer's side across the top, the party of five in the middle.
    for (int id = 6; id <= 13; ++id) battle_.addCombatant(database_.getCharacter(id), id + 5, 3, 2);
    for (int id = 1; id <= 5; ++id) battle_.addCombatant(database_.getCharacter(id), 10 + id, 12, 1);
    battle_.effectShowing = 1;
    // The first in the list is a party member: move it there so the chosen combatant waits for orders.
    const Character first = battle_.units.at(8);
    battle_.units.remove(first);
    UnitList reordered;
    reordered.add(first);
    for (int i = 0; i < battle_.units.count(); ++i) reordered.add(battle_.units.at(i));
    battle_.units = reordered;
    battle_.step();
    // The skill list is open with the cursor on its first line; the grid cursor rests on a combatant.
    flow_.cursorMode = CursorMode::SkillList;
    flow_.battleCommand = BattleCommand::Skill;
    flow_.setCursor(390, 390, 2);
    flow_.gridColumn = 11;
    flow_.gridRow = 12;
  }

  ~BusyBattle() {
    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(folder_, ignored);
    platform::setCurrent(nullptr);
    resetEngine();
  }

  bool ok() const { return ok_ && battle_.state == kStateCommand; }
  int markedCells() const { return battle_.targetCells.count(); }

  // The battle's part of one frame of the battle screen with the skill list open.
  void frame() {
    fillSurface(backBuffer, 0);
    battle_.step();
    view_.drawSkillList(battle_, battle_.highlightSkill());
    view_.drawTargetCells(battle_);
    battle_.drawOverlay();
    const Character underCursor = battle_.combatantAt(flow_.gridColumn, flow_.gridRow);
    if (underCursor.id != 0) view_.drawStatusPanel(underCursor, 400, 200);
  }

  // The rules alone: the same step and overlay with a presentation that draws nothing.
  void rulesOnly() {
    battle_.setPresentation(nullptr);
    battle_.step();
    battle_.drawOverlay();
    battle_.setPresentation(&view_);
  }

  Battle& battle() { return battle_; }

 private:
  fs::path folder_;
  platform::HeadlessPlatform platform_;
  GameDatabase database_;
  BattleFlowState flow_;
  RandomGenerator random_;
  Battle battle_;
  EngineCanvas canvas_;
  BattleView view_;
  bool ok_ = false;
};

void BM_BusyBattleFrame(benchmark::State& state) {
  BusyBattle busy;
  if (!busy.ok()) {
    state.SkipWithError("the headless display or the busy battle could not be set up");
    return;
  }
  busy.frame();
  for (auto _ : state) busy.frame();
  state.counters["marked"] = busy.markedCells();
}
BENCHMARK(BM_BusyBattleFrame)->Unit(benchmark::kMicrosecond);

void BM_BattleRulesFrame(benchmark::State& state) {
  BusyBattle busy;
  if (!busy.ok()) {
    state.SkipWithError("the busy battle could not be set up");
    return;
  }
  for (auto _ : state) busy.rulesOnly();
}
BENCHMARK(BM_BattleRulesFrame)->Unit(benchmark::kMicrosecond);

void BM_TargetFill(benchmark::State& state) {
  MapRecord map;
  map.columns = 25;
  map.rows = 25;
  const int range = static_cast<int>(state.range(0));
  for (auto _ : state) {
    CellSet cells;
    fillCellsInRange(cells, map, 13, 13, range);
    benchmark::DoNotOptimize(cells);
  }
}
BENCHMARK(BM_TargetFill)->Arg(3)->Arg(5)->Arg(8)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace varnholt
