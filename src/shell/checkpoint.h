#pragma once
// Checkpoints: what lets a player continue a campaign on the next start, or retry a lost battle. A
// checkpoint is only the keys the game saw up to a frame (a key script) with a fingerprint of the
// campaign's files and the program's version; the game's state is never written. Running the keys again
// rebuilds the state exactly.
//
// One file per campaign, under $XDG_STATE_HOME/varnholt/ (else ~/.local/state/varnholt/), named from a
// hash of the campaign folder's absolute path:
//
//   varnholt checkpoint 1
//   version 0.1.0
//   campaign 0123456789abcdef
//   battle 3
//   frame 1234
//   keys 5678            (bytes of key script that follow)
//   <the key script>
//
// A file that does not match (another version, another campaign's files, damaged, truncated) is set
// aside as NAME.set-aside with one line saying why, and the campaign starts anew.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace varnholt::shell {

struct Checkpoint {
  std::string version;
  std::uint64_t fingerprint = 0;
  int battle = 0;  // the battle whose party choice opens after `frame`
  int frame = 0;   // frames the keys run
  std::string keys;
};

// The folder checkpoints live in; nullopt when neither variable is set (or both are empty).
std::optional<std::filesystem::path> checkpointFolder(const char* xdgStateHome, const char* home);
// The checkpoint file of a campaign folder inside `folder`.
std::filesystem::path checkpointFile(const std::filesystem::path& folder,
                                     const std::filesystem::path& campaignDir);
// A 64-bit hash of the name, size and bytes of every campaign file in `campaignDir` (the databases, the
// palette, the pictures: *.txt, *.pal and *.bmp, in name order). Other files there do not count.
std::uint64_t campaignFingerprint(const std::filesystem::path& campaignDir);

std::string formatCheckpoint(const Checkpoint& checkpoint);
// Reads a checkpoint back, every field checked (the keys parse as a key script); nullopt with `error`
// saying what is wrong.
std::optional<Checkpoint> parseCheckpoint(std::string_view text, std::string& error);

// The checkpoint file of one campaign for one program version.
class Checkpoints {
 public:
  Checkpoints(std::filesystem::path file, std::string version, std::uint64_t fingerprint)
      : file_(std::move(file)), version_(std::move(version)), fingerprint_(fingerprint) {}

  struct Loaded {
    std::optional<Checkpoint> checkpoint;
    std::string message;  // set when a file was set aside (or could not be): one line for the player
  };
  // The kept checkpoint, if there is a valid one. No file is no checkpoint and no message.
  Loaded load() const;
  // Writes `checkpoint` (with this version and fingerprint) atomically; false with `error` set.
  bool keep(Checkpoint checkpoint, std::string& error) const;
  // Removes the file (a campaign played to its end); a missing file is fine.
  void discard() const;

  // Called after the file was written, removed or set aside, so a store that keeps files elsewhere (the
  // browser's) can take the change in.
  void setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

  const std::filesystem::path& file() const { return file_; }
  const std::string& version() const { return version_; }
  std::uint64_t fingerprint() const { return fingerprint_; }

 private:
  std::string setAside(const std::string& why) const;

  std::filesystem::path file_;
  std::string version_;
  std::uint64_t fingerprint_;
  std::function<void()> changed_;
};

}  // namespace varnholt::shell
