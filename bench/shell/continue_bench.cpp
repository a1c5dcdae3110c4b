// How long a continue takes: the default campaign's winning keys kept up to battle 5's party choice,
// then a start that continues there (the keys run on a fresh game, the picture presented, nothing
// played after).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "app/scripted_keyboard.h"
#include "platform/headless/headless_platform.h"
#include "shell/checkpoint_run.h"

namespace {

namespace fs = std::filesystem;
using namespace varnholt;

class ContinueAnswer : public shell::ChoicePrompt {
 public:
  int ask(std::string_view, const std::vector<std::string>&, int) override { return 0; }
};

shell::CheckpointRunResult play(const app::KeyScript& keys, int frames, const shell::Checkpoints& checkpoints,
                                shell::ChoicePrompt* prompt) {
  platform::HeadlessPlatform backend;
  app::ScriptedKeyboard player(backend, keys);
  shell::CheckpointRun run;
  run.platform = &player;
  run.checkpoints = &checkpoints;
  run.prompt = prompt;
  run.frameLimit = frames;
  run.beforeFrame = [&](int frame) { player.beginFrame(frame); };
  return shell::runWithCheckpoints(run);
}

void ContinueAtBattleFive(benchmark::State& state) {
  if (::chdir(CAMPAIGN_DIR) != 0) {
    state.SkipWithError("no default campaign in the build tree");
    return;
  }
  std::ifstream in(WIN_KEYS);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string error;
  const auto keys = app::KeyScript::parse(text, error);
  if (!keys) {
    state.SkipWithError(error.c_str());
    return;
  }
  const fs::path file = fs::temp_directory_path() / ("varnholt-continue-bench-" + std::to_string(::getpid()));
  const shell::Checkpoints checkpoints(file, "bench", shell::campaignFingerprint(fs::current_path()));
  // Battle 5, the last, is fought in the last part of the session: stop before its end.
  play(*keys, keys->lastFrame() - 10, checkpoints, nullptr);
  const auto kept = checkpoints.load().checkpoint;
  if (!kept || kept->battle != 5) {
    state.SkipWithError("the winning keys kept no checkpoint at battle 5");
    return;
  }
  ContinueAnswer answer;
  for (auto _ : state) {
    const auto result = play(*keys, kept->frame, checkpoints, &answer);
    if (result.continues != 1 || result.result.frames != kept->frame) state.SkipWithError("no continue");
  }
  state.counters["frames"] = kept->frame;
  checkpoints.discard();
}
BENCHMARK(ContinueAtBattleFive)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
