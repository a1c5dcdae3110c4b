#pragma once
// The game run with checkpoints. Each time the party choice for a battle opens, the keys the game has
// seen so far are kept as that battle's checkpoint. At the start a kept checkpoint is offered ("Continue
// at battle N" or "New campaign"); after a lost battle's picture, "Retry battle N" or "Quit". Continuing
// or retrying runs the kept keys on a fresh game without waits or presenting and hands the same game to
// the player, so a recording made meanwhile holds the kept keys followed by the new ones.
//
// A run given a start (a playtest) fast-forwards to it at once, offering nothing, and keeps the party
// choices it meets in memory only, for a retry within the session: the campaign's checkpoint file is
// neither read nor written, so a playtest never takes the place of the campaign played for real.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/game_loop.h"
#include "platform/platform.h"
#include "shell/checkpoint.h"
#include "shell/choice_prompt.h"

namespace varnholt::shell {

struct CheckpointRun {
  // What the game's keys, clock and pictures come through (the key mode, the holds, the backend).
  platform::Platform* platform = nullptr;
  // Null: nothing is kept and nothing is offered. Not used when `start` is set.
  const Checkpoints* checkpoints = nullptr;
  // Set: the game fast-forwards to this checkpoint (its battle and frame are what its keys must lead to)
  // and is handed to the player there; the party choices met are kept in memory for a retry.
  std::optional<Checkpoint> start;
  // Shown once the game stands at `start` (logged and asked as the lines about checkpoints are).
  std::string startMessage;
  // Null: nothing is asked; a kept checkpoint is still kept, a new campaign starts and a lost battle
  // goes on as the game has it.
  ChoicePrompt* prompt = nullptr;
  // Where the lines about set-aside or unwritable checkpoints go, besides the screen.
  std::ostream* log = nullptr;
  // The recording, opened afresh (emptied) for each game run; null or returning null: no recording.
  std::function<std::ostream*()> openRecording;
  // Session frames, from 1, as a replay of the recording numbers them; afterFrame only for frames played.
  std::function<void(int frame)> beforeFrame;
  std::function<void(int frame)> afterFrame;
  // The last game when the run ends, with how it ended (frames counted over the whole session).
  std::function<void(const app::Game&, const app::LoopResult&)> finished;
  // Told of each game as it is made (before its start-up) and with null once it is done with, so a layer
  // below that reads the game's state (where the cursor is) follows the game the player sees.
  std::function<void(const app::Game*)> gameChanged;
  // Stop after this many session frames (0: no limit), for tests and benches.
  int frameLimit = 0;
};

struct CheckpointRunResult {
  bool started = true;  // false: the game could not start (`failure` says why)
  std::string failure;
  app::LoopResult result;             // frames over the whole session (kept keys included)
  std::vector<std::string> messages;  // lines about checkpoints, as shown
  int continues = 0;                  // games fast-forwarded (a continue or a retry)
};

CheckpointRunResult runWithCheckpoints(const CheckpointRun& run);

}  // namespace varnholt::shell
