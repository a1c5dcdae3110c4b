// Writing JSON text.
#include "app/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace varnholt::app {

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

#if defined(__EMSCRIPTEN__)
namespace {

// What std::to_chars(float) writes, for a C++ library without it (the web build's): the fewest
// significant digits that read back as the same float, in fixed or scientific notation, whichever is
// shorter (fixed when they tie).
std::string shortestFloat(float number) {
  char text[48];
  int digits = 1;
  for (; digits < 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*e", digits - 1, static_cast<double>(number));
    if (std::strtof(text, nullptr) == number) break;
  }
  std::snprintf(text, sizeof text, "%.*e", digits - 1, static_cast<double>(number));
  const std::string scientificC = text;
  const std::size_t e = scientificC.find('e');
  const bool negative = scientificC[0] == '-';
  std::string mantissa;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
    if (scientificC[i] != '.') mantissa.push_back(scientificC[i]);
  }
  const int exponent = std::atoi(scientificC.c_str() + e + 1);
  std::string scientific = mantissa.substr(0, 1);
  if (mantissa.size() > 1) scientific += "." + mantissa.substr(1);
  const int magnitude = exponent < 0 ? -exponent : exponent;
  scientific +=
      std::string("e") + (exponent < 0 ? "-" : "+") + (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
  std::string fixed;
  const int size = static_cast<int>(mantissa.size());
  if (exponent >= 0) {
    if (size <= exponent + 1) {
      fixed = mantissa + std::string(static_cast<std::size_t>(exponent + 1 - size), '0');
    } else {
      fixed = mantissa.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
              mantissa.substr(static_cast<std::size_t>(exponent + 1));
    }
  } else {
    fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
  }
  const std::string sign = negative ? "-" : "";
  return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

}  // namespace
#endif

JsonWriter& JsonWriter::value(float number) {
  separate();
  if (!std::isfinite(number)) {
    out_ << "null";
    return *this;
  }
#if defined(__EMSCRIPTEN__)
  out_ << shortestFloat(number);
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

}  // namespace varnholt::app
