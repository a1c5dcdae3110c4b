#pragma once
// Key scripts: the plain-text description of which keys are held in which frame (and in which keyboard
// read inside a frame) that drives the headless game and that a recorded session is written as.
//
//   # comment
//   <when> <keys>
//   when := N | N-M | N.k | N.k-M.j     (frames from 1; N.k is the k-th keyboard read inside frame N)
//   keys := Key[+Key...] | -            (Enter Backspace Up Down Left Right Escape Space, any case)
//
// The listed keys are held for the addressed frames or reads, every other key is up. When several lines
// address the same frame (or read), the later line wins. A read that no read line addresses takes the
// state of its frame.
//
// Parsing resolves the overlaps once: frame lines and read lines each become a sorted list of disjoint
// spans with the keys of the line that wins there, so a lookup is a binary search whatever the length
// of the script.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt::app {

// The keys a script can hold, as bits of a KeySet.
enum KeyBit : std::uint8_t {
  KEY_ENTER = 1 << 0,
  KEY_BACKSPACE = 1 << 1,
  KEY_UP = 1 << 2,
  KEY_DOWN = 1 << 3,
  KEY_LEFT = 1 << 4,
  KEY_RIGHT = 1 << 5,
  KEY_ESCAPE = 1 << 6,
  KEY_SPACE = 1 << 7,
};
using KeySet = std::uint8_t;

// "Enter+Up", or "-" for the empty set.
std::string formatKeySet(KeySet keys);
// Parses "Enter+Up" or "-"; nullopt for an unknown key name or an empty part.
std::optional<KeySet> parseKeySet(std::string_view text);

// The DirectInput snapshot bytes for a key set (non-zero for keys that are down), and back.
void keySetToSnapshot(KeySet keys, std::uint8_t (&state)[256]);
KeySet snapshotToKeySet(const std::uint8_t (&state)[256]);

// The largest key script that is read: 64 MiB, some six million lines.
inline constexpr std::size_t kMaxKeyScriptBytes = std::size_t{64} << 20;

class KeyScript {
 public:
  // One script line. `fromRead` and `toRead` are 0 for a frame-level line.
  struct Line {
    int fromFrame = 0;
    int fromRead = 0;
    int toFrame = 0;
    int toRead = 0;
    KeySet keys = 0;
  };

  // Parses a whole script. On failure returns nullopt and sets `error` to "line N: what is wrong".
  static std::optional<KeyScript> parse(std::string_view text, std::string& error);
  // Reads and parses a file; `error` also covers a file that cannot be read or is larger than
  // kMaxKeyScriptBytes (which is read no further).
  static std::optional<KeyScript> load(const std::string& path, std::string& error);

  // Keys held at frame level in `frame` (what the Escape/Space test at the frame's start sees).
  KeySet frameKeys(int frame) const;
  // Keys seen by the `read`-th keyboard read (from 1) inside `frame`.
  KeySet readKeys(int frame, int read) const;
  // The highest frame any line names; 0 for a script without lines.
  int lastFrame() const;

  const std::vector<Line>& lines() const { return lines_; }

 private:
  // Positions are ordered frame first, then read: frame << 32 | read (read 0 for frame lines).
  using Position = std::uint64_t;
  // Keys held from `first` to `last` (inclusive) by the line that wins there.
  struct Span {
    Position first = 0;
    Position last = 0;
    KeySet keys = 0;
  };
  static const Span* findSpan(const std::vector<Span>& spans, Position position);
  void buildIndex();

  std::vector<Line> lines_;
  std::vector<Span> frameSpans_;
  std::vector<Span> readSpans_;
  int lastFrame_ = 0;
};

}  // namespace varnholt::app
