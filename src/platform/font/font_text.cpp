// UTF-8 validation, the Latin-1 fallback and decoding.
#include "platform/font/font_text.h"

namespace varnholt::platform {

namespace {

// Length of the valid UTF-8 sequence starting at `text[i]`, or 0 when it is not valid (overlong forms,
// surrogates and code points past U+10FFFF included). `code` receives the code point.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i, std::uint32_t& code) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  code = lead;
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool isValidUtf8(std::string_view text) {
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8SequenceLength(text, i, code);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace

std::string toFontText(std::string_view text) {
  const std::size_t end = text.find('\0');
  if (end != std::string_view::npos) text = text.substr(0, end);
  if (isValidUtf8(text)) return std::string(text);
  std::string converted;
  converted.reserve(text.size() * 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      converted.push_back(c);
    } else {
      converted.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      converted.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return converted;
}

std::vector<std::uint32_t> decodeUtf8(std::string_view text) {
  std::vector<std::uint32_t> codes;
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8SequenceLength(text, i, code);
    if (length == 0) {
      // Not reached for toFontText's output; a stray byte counts as its Latin-1 character.
      codes.push_back(static_cast<unsigned char>(text[i]));
      ++i;
      continue;
    }
    codes.push_back(code);
    i += length;
  }
  return codes;
}

}  // namespace varnholt::platform
