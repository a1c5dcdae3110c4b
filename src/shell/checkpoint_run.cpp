// The game run with checkpoints: keeping them, continuing, retrying.
#include "shell/checkpoint_run.h"

#include <memory>
#include <optional>
#include <sstream>
#include <utility>

#include "app/key_recorder.h"
#include "app/key_script.h"
#include "shell/fast_forward.h"

namespace varnholt::shell {
namespace {

// Thrown from the frame observer when the player picks a retry: the loop ends and a fresh game starts.
struct RetryBattle {};

}  // namespace

CheckpointRunResult runWithCheckpoints(const CheckpointRun& run) {
  CheckpointRunResult outcome;
  const auto note = [&](const std::string& line) {
    if (line.empty()) return;
    if (run.log) *run.log << line << "\n";
    outcome.messages.push_back(line);
    if (run.prompt) run.prompt->ask(line, {"OK"}, 0);
  };

  std::optional<Checkpoint> latest;  // the checkpoint a lost battle may be retried from
  std::optional<Checkpoint> resume;  // the checkpoint the next game fast-forwards to
  // The file checkpoints go to; the party choices are kept (in memory) with one or with a start.
  const Checkpoints* store = run.start ? nullptr : run.checkpoints;
  const bool keeping = store != nullptr || run.start.has_value();
  std::string startMessage = run.startMessage;
  if (run.start) {
    resume = run.start;
    latest = run.start;
  } else if (store) {
    Checkpoints::Loaded loaded = store->load();
    note(loaded.message);
    if (loaded.checkpoint && run.prompt) {
      const int pick = run.prompt->ask(
          "Varnholt", {"Continue at battle " + std::to_string(loaded.checkpoint->battle), "New campaign"}, 1);
      if (pick == ChoicePrompt::kClosed) {
        outcome.result.reason = app::ExitReason::Quit;
        return outcome;
      }
      if (pick == 0) resume = loaded.checkpoint;
    }
    if (loaded.checkpoint) latest = std::move(loaded.checkpoint);
  }

  while (true) {
    FastForward fastForward(*run.platform);
    // The keys the game sees, kept for the checkpoints; the recording, if any, sits above.
    std::ostringstream keptKeys;
    app::KeyRecorder kept(fastForward, keptKeys);
    std::ostream* recording = run.openRecording ? run.openRecording() : nullptr;
    std::unique_ptr<app::KeyRecorder> recorder;
    platform::Platform* top = &kept;
    if (recording) {
      recorder = std::make_unique<app::KeyRecorder>(kept, *recording);
      top = recorder.get();
    }

    if (resume) {
      std::string error;
      auto script = app::KeyScript::parse(resume->keys, error);
      if (script) {
        fastForward.begin(std::move(*script));
      } else {
        note("varnholt: the kept keys do not read (" + error + "); a new campaign starts");
        resume.reset();
      }
    }

    app::Game game(*top);
    // Tells the watcher of this game, and that it is gone when the loop turn leaves (by any way).
    struct Watch {
      const std::function<void(const app::Game*)>& told;
      Watch(const std::function<void(const app::Game*)>& tell, const app::Game& watched) : told(tell) {
        if (told) told(&watched);
      }
      ~Watch() {
        if (told) told(nullptr);
      }
      Watch(const Watch&) = delete;
      Watch& operator=(const Watch&) = delete;
    } watch(run.gameChanged, game);
    if (!game.gameInit()) {
      outcome.started = false;
      outcome.failure = game.failure();
      return outcome;
    }

    int base = 0;  // session frames run before this loop's first
    Screen previous = game.flow().screenState;
    int defeats = game.defeats();
    app::FrameObserver observer;
    observer.beforeFrame = [&](int frame) {
      const int session = base + frame;
      fastForward.beginFrame(session);
      kept.beginFrame(session);
      if (recorder) recorder->beginFrame(session);
      if (run.beforeFrame) run.beforeFrame(session);
    };
    observer.afterFrame = [&](int frame) {
      const int session = base + frame;
      const Screen now = game.flow().screenState;
      const bool choiceOpened = now == Screen::Selection && previous != Screen::Selection;
      previous = now;
      if (fastForward.active()) return;
      if (run.afterFrame) run.afterFrame(session);
      if (choiceOpened && keeping) {
        kept.flush();
        Checkpoint checkpoint;
        checkpoint.battle = game.battle().battleNumber;
        checkpoint.frame = session;
        checkpoint.keys = keptKeys.str();
        if (store) {
          std::string error;
          if (!store->keep(checkpoint, error) && run.log) {
            *run.log << "varnholt: checkpoint not kept: " << error << "\n";
          }
          checkpoint.version = store->version();
          checkpoint.fingerprint = store->fingerprint();
        }
        latest = std::move(checkpoint);
      }
      if (game.defeats() != defeats) {
        defeats = game.defeats();
        if (run.prompt && latest && latest->battle == game.battle().battleNumber) {
          const int pick = run.prompt->ask("The battle is lost",
                                           {"Retry battle " + std::to_string(latest->battle), "Quit"}, 1);
          if (pick == 0) throw RetryBattle{};
          // Quit as Escape does: the window's end, answered by the game's quit on the next turn.
          top->postMessage(platform::Message::Destroy);
        }
      }
    };

    const auto limitFrom = [&](int done) {
      if (run.frameLimit <= 0) return 0;
      return run.frameLimit > done ? run.frameLimit - done : -1;
    };

    if (resume) {
      ++outcome.continues;
      const app::LoopResult replayed = app::runGameLoop(game, *top, observer, resume->frame);
      // The keys must lead back to where they were kept: the party choice of their battle.
      const bool reached = replayed.reason == app::ExitReason::Running && replayed.frames == resume->frame &&
                           game.flow().screenState == Screen::Selection &&
                           game.battle().battleNumber == resume->battle;
      fastForward.end(reached);
      if (!reached) {
        if (replayed.reason == app::ExitReason::Quit) {
          if (recorder) recorder->finish();
          outcome.result = replayed;
          if (run.finished) run.finished(game, outcome.result);
          return outcome;
        }
        note("varnholt: the kept keys did not lead back to battle " + std::to_string(resume->battle) +
             "; a new campaign starts");
        if (store) store->discard();
        resume.reset();
        latest.reset();
        game.gameShutdown();
        continue;
      }
      base = resume->frame;
      resume.reset();
      note(std::exchange(startMessage, std::string()));
    }

    app::LoopResult result;
    const int limit = limitFrom(base);
    if (limit >= 0) {
      try {
        result = app::runGameLoop(game, *top, observer, limit);
      } catch (const RetryBattle&) {
        game.gameShutdown();
        resume = latest;
        continue;
      }
    }
    if (recorder) recorder->finish();
    result.frames += base;
    if (result.reason == app::ExitReason::CampaignEnd && store) store->discard();
    outcome.result = result;
    if (run.finished) run.finished(game, outcome.result);
    return outcome;
  }
}

}  // namespace varnholt::shell
