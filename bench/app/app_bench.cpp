// The game's per-frame CPU work on the headless backend (waits are virtual, so only the work counts):
// the title, selection and battle screens on the default campaign; and the resident memory after 1,000
// and 10,000 battle frames, which should not grow.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "app/game.h"
#include "app/key_script.h"
#include "app/scripted_keyboard.h"
#include "platform/headless/headless_platform.h"

namespace {

using namespace varnholt;

// Resident memory of this process in KiB.
long residentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A game on the default campaign, started and driven by a key script up to the screen to measure.
struct BenchGame {
  platform::HeadlessPlatform headless;
  app::KeyScript script;
  std::unique_ptr<app::ScriptedKeyboard> keyboard;
  std::unique_ptr<app::Game> game;
  int frame = 0;

  explicit BenchGame(const std::string& keys) {
    std::filesystem::current_path(VARNHOLT_CAMPAIGN_DIR);
    std::string error;
    script = *app::KeyScript::parse(keys, error);
    keyboard = std::make_unique<app::ScriptedKeyboard>(headless, script);
    game = std::make_unique<app::Game>(*keyboard);
    if (!game->gameInit()) throw std::runtime_error(game->failure());
    for (int i = 0; i <= script.lastFrame(); ++i) step();
  }
  void step() {
    keyboard->beginFrame(++frame);
    game->gameFrame();
  }
};

constexpr const char* kToSelection = "1 Enter\n";
constexpr const char* kToBattle =
    "1 Enter\n3 Enter\n4 Right\n5 Enter\n6 Right\n7 Enter\n8 Right\n9 Enter\n10 Right\n11 Enter\n";

void runFrames(benchmark::State& state, const char* keys, Screen expectedScreen) {
  BenchGame bench(keys);
  if (bench.game->flow().screenState != expectedScreen) state.SkipWithError("not on the expected screen");
  for (auto _ : state) bench.step();
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TitleFrame(benchmark::State& state) {
  runFrames(state, "", Screen::Title);
}
void BM_SelectionFrame(benchmark::State& state) {
  runFrames(state, kToSelection, Screen::Selection);
}
void BM_BattleFrame(benchmark::State& state) {
  runFrames(state, kToBattle, Screen::Battle);
}

// A battle frame as the real game runs it: after a wait of a frame, in which other programs have
// used the core, so the frame's pictures and buffers are no longer in the processor's caches.
void BM_BattleFrameColdCaches(benchmark::State& state) {
  BenchGame bench(kToBattle);
  std::vector<std::uint8_t> other(64u << 20);
  std::uint8_t sum = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (std::size_t i = 0; i < other.size(); i += 64) sum = static_cast<std::uint8_t>(sum + ++other[i]);
    state.ResumeTiming();
    bench.step();
  }
  benchmark::DoNotOptimize(sum);
}

// Resident memory after N battle frames, against the memory after the first 100.
void BM_BattleMemory(benchmark::State& state) {
  for (auto _ : state) {
    BenchGame bench(kToBattle);
    for (int i = 0; i < 100; ++i) bench.step();
    const long before = residentKiB();
    for (int i = 0; i < state.range(0); ++i) bench.step();
    const long after = residentKiB();
    state.counters["rss_after_100_KiB"] = static_cast<double>(before);
    state.counters["rss_after_KiB"] = static_cast<double>(after);
    state.counters["growth_KiB"] = static_cast<double>(after - before);
  }
}

}  // namespace

BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectionFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BattleFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BattleFrameColdCaches)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BattleMemory)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);
