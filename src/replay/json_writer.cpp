// Writing JSON text.
#include "replay/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/float_text.h"

namespace varnholt::replay {

void JsonWriter::separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!hasMember_.empty()) {
    if (hasMember_.back()) out_ << ',';
    hasMember_.back() = true;
  }
}

JsonWriter& JsonWriter::beginObject() {
  separate();
  out_ << '{';
  hasMember_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  hasMember_.pop_back();
  out_ << '}';
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  separate();
  out_ << '[';
  hasMember_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  hasMember_.pop_back();
  out_ << ']';
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  separate();
  writeString(name);
  out_ << ':';
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(long long number) {
  separate();
  out_ << number;
  return *this;
}

JsonWriter& JsonWriter::value(float number) {
  separate();
  if (!std::isfinite(number)) {
    out_ << "null";
    return *this;
  }
#if defined(__EMSCRIPTEN__)
  out_ << app::shortestFloatText(number);
#else
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, number);
  out_ << std::string_view(text, ec == std::errc() ? static_cast<std::size_t>(end - text) : 0);
#endif
  return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
  separate();
  out_ << (flag ? "true" : "false");
  return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
  separate();
  writeString(text);
  return *this;
}

void JsonWriter::writeString(std::string_view text) {
  out_ << '"';
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out_ << "\\\"";
        break;
      case '\\':
        out_ << "\\\\";
        break;
      case '\n':
        out_ << "\\n";
        break;
      case '\t':
        out_ << "\\t";
        break;
      default:
        if (byte < 0x20 || byte >= 0x7f) {
          // Game text is single-byte; anything outside ASCII is written as its Latin-1 code point.
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out_ << escaped;
        } else {
          out_ << c;
        }
    }
  }
  out_ << '"';
}

}  // namespace varnholt::replay
