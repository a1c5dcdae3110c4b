#pragma once
// The game's text renderer: DejaVu Sans through SDL_ttf, rendered solid (no anti-aliasing) into ink
// masks of 0/1 bytes. Rendered lines are kept in a bounded least-recently-used cache, so text drawn
// every frame costs a lookup and a copy instead of a layout and rasterisation.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/font/font_text.h"
#include "platform/platform.h"

struct _TTF_Font;

namespace varnholt::platform {

// The font size (pixels per em) of all in-game text: the largest DejaVu Sans size whose lines fit the
// 15-pixel layout (line skip 14 pixels).
inline constexpr int GAME_FONT_SIZE = 12;

// The default font path: $VARNHOLT_FONT when set and not empty, otherwise DejaVu Sans as Debian's
// fonts-dejavu-core installs it.
std::string findDefaultFontPath();

class FontRasterizer : public TextRasterizer {
 public:
  // Opens the TrueType font at `path` at `pixelHeight` pixels per em. Null on failure, with `error`
  // naming the path and the reason.
  static std::unique_ptr<FontRasterizer> open(const std::string& path, int pixelHeight, std::string& error);

  ~FontRasterizer() override;
  FontRasterizer(const FontRasterizer&) = delete;
  FontRasterizer& operator=(const FontRasterizer&) = delete;

  bool render(std::string_view text, TextMask& out) override;
  const TextMask* renderKept(std::string_view text) override;
  int lineHeight() const override;

  // Pixels from the top of a mask to the baseline.
  int ascent() const;
  // Height of every rendered mask.
  int height() const;
  // Width the text would take, without rendering it; 0 for empty text.
  int measure(std::string_view text) const;

  // Cache bounds: at most this many lines and this many mask bytes are kept.
  void setCacheLimits(std::size_t maxEntries, std::size_t maxBytes);
  std::uint64_t cacheHits() const { return hits_; }
  std::uint64_t cacheMisses() const { return misses_; }
  std::size_t cacheEntries() const { return entries_.size(); }

 private:
  struct FontCloser {
    void operator()(_TTF_Font* font) const;
  };
  // Holds one reference on SDL_ttf's library initialisation for as long as a font is open.
  struct LibraryReference {
    LibraryReference() = default;
    ~LibraryReference();
    LibraryReference(const LibraryReference&) = delete;
    LibraryReference& operator=(const LibraryReference&) = delete;
  };
  struct Entry {
    std::string text;
    TextMask mask;
  };

  FontRasterizer(std::unique_ptr<LibraryReference> library, _TTF_Font* font);
  bool rasterize(const std::string& fontText, TextMask& out) const;
  void remember(std::string text, const TextMask& mask);

  std::unique_ptr<LibraryReference> library_;
  std::unique_ptr<_TTF_Font, FontCloser> font_;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
  std::size_t cachedBytes_ = 0;
  TextMask uncached_;  // renderKept's mask for a line too large to keep
  std::size_t maxEntries_ = 512;
  std::size_t maxBytes_ = 8u << 20;
  std::uint64_t hits_ = 0;
  std::uint64_t misses_ = 0;
};

// Opens the game's font on first use and remembers a failure, so a missing font is looked for once and
// every later call answers at once. Shared by the backends for Platform::textRasterizer().
class LazyGameFont {
 public:
  explicit LazyGameFont(std::string path = findDefaultFontPath()) : path_(std::move(path)) {}
  void setPath(std::string path);
  const std::string& path() const { return path_; }
  // The rasteriser, or null with `error` set when the font cannot be opened.
  TextRasterizer* get(std::string& error);

 private:
  std::string path_;
  std::unique_ptr<FontRasterizer> font_;
  bool failed_ = false;
  std::string failure_;
};

}  // namespace varnholt::platform
