#pragma once
// The start of a playtest (varnholt --playtest N): the auto-player wins the battles before N headless,
// in this process and as fast as the game runs without waits, and the keys it pressed are what the game
// then runs through (as a continue runs kept keys) to hand the player battle N's party choice. When no
// party wins an earlier battle, the playtest starts at that battle's party choice instead and says so.

#include <functional>
#include <string>

namespace varnholt::autoplay {

struct PlaytestStart {
  bool started = false;  // false: the game could not start (`failure` says why)
  std::string failure;
  int battle = 0;         // the battle whose party choice the keys open
  int frames = 0;         // frames the keys run, the one that opens the choice last
  std::string keys;       // the keys as a key script
  std::string shortfall;  // set when `battle` falls short of the one asked for: a line for the player
};

// Plays to battle `battle`'s party choice (1 to kLastBattle) with the campaign in the working directory.
// `log` hears a line for each battle the auto-player plays.
PlaytestStart preparePlaytest(int battle, const std::function<void(const std::string&)>& log);

}  // namespace varnholt::autoplay
