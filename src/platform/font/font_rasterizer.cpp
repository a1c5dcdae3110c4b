// SDL_ttf-backed text rendering with a bounded cache of rendered lines.
#include "platform/font/font_rasterizer.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <sys/stat.h>
#include <cstdlib>
#include <cstring>

namespace varnholt::platform {

namespace {

constexpr const char* DEBIAN_DEJAVU_SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

bool fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string findDefaultFontPath() {
  const char* overridePath = std::getenv("VARNHOLT_FONT");
  if (overridePath != nullptr && overridePath[0] != '\0') return overridePath;
  return DEBIAN_DEJAVU_SANS;
}

void FontRasterizer::FontCloser::operator()(_TTF_Font* font) const {
  TTF_CloseFont(font);
}

FontRasterizer::LibraryReference::~LibraryReference() {
  TTF_Quit();
}

FontRasterizer::FontRasterizer(std::unique_ptr<LibraryReference> library, _TTF_Font* font)
    : library_(std::move(library)), font_(font) {}

FontRasterizer::~FontRasterizer() = default;

std::unique_ptr<FontRasterizer> FontRasterizer::open(const std::string& path, int pixelHeight,
                                                     std::string& error) {
  if (pixelHeight <= 0) {
    error = "font size " + std::to_string(pixelHeight) + " is not positive (font " + path + ")";
    return nullptr;
  }
  // SDL_ttf's own message for a missing file is vague; say plainly which font is missing.
  if (!fileExists(path)) {
    error = "font not found: " + path +
            " (install Debian's fonts-dejavu-core, or set VARNHOLT_FONT to a TrueType font)";
    return nullptr;
  }
  if (TTF_Init() != 0) {
    error = std::string("cannot start SDL_ttf for font ") + path + ": " + TTF_GetError();
    return nullptr;
  }
  auto library = std::make_unique<LibraryReference>();
  TTF_Font* font = TTF_OpenFont(path.c_str(), pixelHeight);
  if (font == nullptr) {
    error = "cannot load font " + path + ": " + TTF_GetError();
    return nullptr;
  }
  // FreeType's hinting for one-bit output: with the other modes, thresholding the grey glyphs leaves
  // some digits and stems a pixel heavier than their neighbours at the game's size.
  TTF_SetFontHinting(font, TTF_HINTING_MONO);
  return std::unique_ptr<FontRasterizer>(new FontRasterizer(std::move(library), font));
}

int FontRasterizer::lineHeight() const {
  return TTF_FontLineSkip(font_.get());
}
int FontRasterizer::ascent() const {
  return TTF_FontAscent(font_.get());
}
int FontRasterizer::height() const {
  return TTF_FontHeight(font_.get());
}

int FontRasterizer::measure(std::string_view text) const {
  const std::string fontText = toFontText(text);
  if (fontText.empty()) return 0;
  int width = 0;
  int height = 0;
  if (TTF_SizeUTF8(font_.get(), fontText.c_str(), &width, &height) != 0) return 0;
  return width;
}

void FontRasterizer::setCacheLimits(std::size_t maxEntries, std::size_t maxBytes) {
  maxEntries_ = maxEntries;
  maxBytes_ = maxBytes;
  while (!entries_.empty() && (entries_.size() > maxEntries_ || cachedBytes_ > maxBytes_)) {
    cachedBytes_ -= entries_.back().mask.ink.size();
    index_.erase(entries_.back().text);
    entries_.pop_back();
  }
}

bool FontRasterizer::render(std::string_view text, TextMask& out) {
  const TextMask* mask = renderKept(text);
  out = mask ? *mask : TextMask{};
  return mask != nullptr;
}

const TextMask* FontRasterizer::renderKept(std::string_view text) {
  const std::size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  if (text.empty()) return nullptr;
  if (const auto found = index_.find(text); found != index_.end()) {
    ++hits_;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->mask;
  }
  ++misses_;
  uncached_ = TextMask{};
  if (!rasterize(toFontText(text), uncached_)) return nullptr;
  remember(std::string(text), uncached_);
  // remember() keeps a copy at the front when the line fits the cache.
  if (!entries_.empty() && entries_.front().text == text) return &entries_.front().mask;
  return &uncached_;
}

bool FontRasterizer::rasterize(const std::string& fontText, TextMask& out) const {
  // Solid rendering yields an 8-bit surface whose index 0 is the background and 1 the ink.
  const SDL_Color ink{255, 255, 255, 255};
  SDL_Surface* surface = TTF_RenderUTF8_Solid(font_.get(), fontText.c_str(), ink);
  if (surface == nullptr) return false;
  const bool usable = surface->w > 0 && surface->h > 0 && surface->format->BytesPerPixel == 1 &&
                      (!SDL_MUSTLOCK(surface) || SDL_LockSurface(surface) == 0);
  if (usable) {
    out.width = surface->w;
    out.height = surface->h;
    out.ink.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    const auto* pixels = static_cast<const std::uint8_t*>(surface->pixels);
    for (int y = 0; y < out.height; ++y) {
      const std::uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * surface->pitch;
      std::uint8_t* dest = out.ink.data() + static_cast<std::size_t>(y) * out.width;
      for (int x = 0; x < out.width; ++x) dest[x] = row[x] != 0 ? 1 : 0;
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  }
  SDL_FreeSurface(surface);
  return usable;
}

void FontRasterizer::remember(std::string text, const TextMask& mask) {
  const std::size_t bytes = mask.ink.size();
  if (maxEntries_ == 0 || bytes > maxBytes_) return;
  while (!entries_.empty() && (entries_.size() + 1 > maxEntries_ || cachedBytes_ + bytes > maxBytes_)) {
    cachedBytes_ -= entries_.back().mask.ink.size();
    index_.erase(entries_.back().text);
    entries_.pop_back();
  }
  entries_.push_front(Entry{std::move(text), mask});
  index_.emplace(entries_.front().text, entries_.begin());
  cachedBytes_ += bytes;
}

void LazyGameFont::setPath(std::string path) {
  path_ = std::move(path);
  font_.reset();
  failed_ = false;
  failure_.clear();
}

TextRasterizer* LazyGameFont::get(std::string& error) {
  if (font_) return font_.get();
  if (!failed_) {
    font_ = FontRasterizer::open(path_, GAME_FONT_SIZE, failure_);
    failed_ = font_ == nullptr;
  }
  if (failed_) error = failure_;
  return font_.get();
}

}  // namespace varnholt::platform
