// Tokens with their lines, and the field readers.

#include "check/token_file.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <type_traits>

namespace varnholt::check {

std::optional<std::vector<Token>> readTokens(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<Token> tokens;
  int line = 1;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (std::isspace(c)) {
      if (c == '\n') ++line;
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
    tokens.push_back({bytes.substr(start, i - start), line});
  }
  return tokens;
}

namespace {

template <typename T>
std::optional<T> parseNumber(const std::string& text) {
  std::size_t skip = !text.empty() && text[0] == '+' ? 1 : 0;
  if (skip == 1 && (text.size() < 2 || text[1] == '-' || text[1] == '+')) return std::nullopt;
  const char* first = text.data() + skip;
  const char* last = text.data() + text.size();
  T value{};
#if defined(__EMSCRIPTEN__)
  // The web build's C++ library reads no floating-point numbers with from_chars.
  if constexpr (std::is_floating_point_v<T>) {
    if (first == last || std::isspace(static_cast<unsigned char>(*first))) return std::nullopt;
    const std::string digits(first, last);
    if (digits.find_first_of("xX") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    value = std::strtod(digits.c_str(), &end);
    if (end != digits.c_str() + digits.size()) return std::nullopt;
    return value;
  } else
#endif
  {
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last) return std::nullopt;
    return value;
  }
}

}  // namespace

std::optional<int> parseInt(const std::string& text) {
  return parseNumber<int>(text);
}

std::optional<double> parseDouble(const std::string& text) {
  return parseNumber<double>(text);
}

std::optional<int> recordStart(const std::vector<Token>& tokens, std::size_t at, std::size_t& used) {
  if (at >= tokens.size()) return std::nullopt;
  const std::string& text = tokens[at].text;
  if (text.empty() || text[0] != '*') return std::nullopt;
  if (text.size() > 1) {
    used = 1;
    return parseInt(text.substr(1));
  }
  if (at + 1 >= tokens.size()) return std::nullopt;
  used = 2;
  return parseInt(tokens[at + 1].text);
}

}  // namespace varnholt::check
