// The glyph atlas file and the line layout over it.
#include "platform/font/glyph_atlas.h"

#include <algorithm>
#include <climits>

#include "platform/font/font_text.h"

namespace varnholt::platform {

namespace {

constexpr char kMagic[4] = {'V', 'G', 'A', '1'};
constexpr std::uint32_t kSoftHyphen = 0xAD;

void put16(std::vector<std::uint8_t>& out, int value) {
  const auto bits = static_cast<std::uint16_t>(value);
  out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
  out.push_back(static_cast<std::uint8_t>(bits >> 8));
}

void putGlyph(std::vector<std::uint8_t>& out, const AtlasGlyph& glyph) {
  put16(out, static_cast<int>(glyph.code & 0xFFFF));
  put16(out, static_cast<int>(glyph.code >> 16));
  put16(out, glyph.advance);
  put16(out, glyph.minX);
  put16(out, glyph.maxX);
  put16(out, glyph.minY);
  put16(out, glyph.maxY);
  put16(out, glyph.width);
  put16(out, glyph.rows);
  // Ink as bits, row by row, eight columns a byte.
  const int rowBytes = (glyph.width + 7) / 8;
  for (int y = 0; y < glyph.rows; ++y) {
    for (int b = 0; b < rowBytes; ++b) {
      std::uint8_t bits = 0;
      for (int k = 0; k < 8; ++k) {
        const int x = b * 8 + k;
        if (x < glyph.width && glyph.ink[static_cast<std::size_t>(y) * glyph.width + x] != 0)
          bits |= static_cast<std::uint8_t>(1u << k);
      }
      out.push_back(bits);
    }
  }
}

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool ok() const { return ok_; }
  bool atEnd() const { return at_ == bytes_.size(); }
  int signed16() {
    if (at_ + 2 > bytes_.size()) {
      ok_ = false;
      return 0;
    }
    const auto bits = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
    at_ += 2;
    return static_cast<std::int16_t>(bits);
  }
  int unsigned16() { return static_cast<std::uint16_t>(signed16()); }
  std::uint8_t byte() {
    if (at_ >= bytes_.size()) {
      ok_ = false;
      return 0;
    }
    return bytes_[at_++];
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

bool readGlyph(Reader& in, AtlasGlyph& glyph) {
  const auto low = static_cast<std::uint32_t>(in.unsigned16());
  glyph.code = low | (static_cast<std::uint32_t>(in.unsigned16()) << 16);
  glyph.advance = in.signed16();
  glyph.minX = in.signed16();
  glyph.maxX = in.signed16();
  glyph.minY = in.signed16();
  glyph.maxY = in.signed16();
  glyph.width = in.signed16();
  glyph.rows = in.signed16();
  if (!in.ok() || glyph.width < 0 || glyph.width > 512 || glyph.rows < 0 || glyph.rows > 512 ||
      glyph.advance < 0)
    return false;
  glyph.ink.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
  const int rowBytes = (glyph.width + 7) / 8;
  for (int y = 0; y < glyph.rows; ++y) {
    for (int b = 0; b < rowBytes; ++b) {
      const std::uint8_t bits = in.byte();
      for (int k = 0; k < 8; ++k) {
        const int x = b * 8 + k;
        if (x < glyph.width && (bits & (1u << k)) != 0)
          glyph.ink[static_cast<std::size_t>(y) * glyph.width + x] = 1;
      }
    }
  }
  return in.ok();
}

}  // namespace

std::vector<std::uint8_t> serializeGlyphAtlas(const GlyphAtlas& atlas) {
  std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
  put16(out, atlas.height);
  put16(out, atlas.ascent);
  put16(out, atlas.lineSkip);
  put16(out, static_cast<int>(atlas.glyphs.size()));
  putGlyph(out, atlas.missing);
  for (const AtlasGlyph& glyph : atlas.glyphs) putGlyph(out, glyph);
  return out;
}

std::optional<GlyphAtlas> parseGlyphAtlas(const std::vector<std::uint8_t>& bytes, std::string& error) {
  if (bytes.size() < 4 || !std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin())) {
    error = "not a glyph atlas (it does not start with VGA1)";
    return std::nullopt;
  }
  Reader in(bytes);
  for (int i = 0; i < 2; ++i) in.signed16();  // the magic
  GlyphAtlas atlas;
  atlas.height = in.signed16();
  atlas.ascent = in.signed16();
  atlas.lineSkip = in.signed16();
  const int count = in.unsigned16();
  if (!in.ok() || atlas.height <= 0 || atlas.height > 256 || atlas.lineSkip <= 0) {
    error = "glyph atlas header is damaged";
    return std::nullopt;
  }
  if (!readGlyph(in, atlas.missing)) {
    error = "glyph atlas is cut short";
    return std::nullopt;
  }
  atlas.glyphs.resize(static_cast<std::size_t>(count));
  for (AtlasGlyph& glyph : atlas.glyphs) {
    if (!readGlyph(in, glyph)) {
      error = "glyph atlas is cut short";
      return std::nullopt;
    }
  }
  if (!in.atEnd()) {
    error = "glyph atlas has bytes after its last glyph";
    return std::nullopt;
  }
  return atlas;
}

AtlasRasterizer::AtlasRasterizer(GlyphAtlas atlas) : atlas_(std::move(atlas)) {
  for (std::size_t i = 0; i < atlas_.glyphs.size(); ++i) index_.emplace(atlas_.glyphs[i].code, i);
}

const AtlasGlyph& AtlasRasterizer::glyph(std::uint32_t code) const {
  const auto found = index_.find(code);
  return found == index_.end() ? atlas_.missing : atlas_.glyphs[found->second];
}

bool AtlasRasterizer::render(std::string_view text, TextMask& out) {
  out = TextMask{};
  const std::size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  if (text.empty()) return false;
  if (const auto found = cacheIndex_.find(text); found != cacheIndex_.end()) {
    cache_.splice(cache_.begin(), cache_, found->second);
    out = found->second->mask;
    return true;
  }
  if (!layout(text, out)) return false;
  if (cache_.size() >= kCacheLines) {
    cacheIndex_.erase(cache_.back().text);
    cache_.pop_back();
  }
  cache_.push_front(Entry{std::string(text), out});
  cacheIndex_.emplace(cache_.front().text, cache_.begin());
  return true;
}

bool AtlasRasterizer::layout(std::string_view text, TextMask& out) const {
  const std::vector<std::uint32_t> codes = decodeUtf8(toFontText(text));
  if (codes.empty()) return false;
  std::vector<const AtlasGlyph*> glyphs;
  std::vector<int> pens;
  int pen = 0;
  int left = 0;
  int right = INT_MIN;
  int rise = 0;                // rows of ink above the font's top
  int bottom = atlas_.height;  // from the font's top
  // The native shaper hides a soft hyphen: it becomes a space that does not move the pen.
  AtlasGlyph hidden = glyph(' ');
  hidden.advance = 0;
  hidden.ink.assign(hidden.ink.size(), 0);
  for (const std::uint32_t code : codes) {
    const AtlasGlyph& g = code == kSoftHyphen ? hidden : glyph(code);
    glyphs.push_back(&g);
    pens.push_back(pen);
    left = std::min(left, pen + g.minX);
    right = std::max(right, pen + std::max(g.advance, g.maxX));
    rise = std::max(rise, g.maxY - atlas_.ascent);
    bottom = std::max(bottom, atlas_.ascent - g.minY);
    pen += g.advance;
  }
  const int width = right - left;
  if (width <= 0) return false;
  out.width = width;
  out.height = rise + bottom;
  out.ink.assign(static_cast<std::size_t>(width) * out.height, 0);
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const AtlasGlyph& g = *glyphs[i];
    const int originX = pens[i] + std::min(0, g.minX) - left;
    const int originY = rise - std::max(0, g.maxY - atlas_.ascent);
    for (int y = 0; y < g.rows; ++y) {
      const int destY = originY + y;
      if (destY < 0 || destY >= out.height) continue;
      for (int x = 0; x < g.width; ++x) {
        const int destX = originX + x;
        if (destX < 0 || destX >= width) continue;
        if (g.ink[static_cast<std::size_t>(y) * g.width + x] != 0)
          out.ink[static_cast<std::size_t>(destY) * width + destX] = 1;
      }
    }
  }
  return true;
}

}  // namespace varnholt::platform
