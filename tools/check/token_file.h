#pragma once
// A text database as the game reads it, token by token, but keeping each token's line so that a problem
// can be reported where it stands. Also the readers of single fields, which accept exactly what the
// game's formatted input turns into a value.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace varnholt::check {

struct Token {
  std::string text;
  int line = 0;
};

// The whitespace-separated tokens of a file; nullopt when it cannot be read.
std::optional<std::vector<Token>> readTokens(const std::filesystem::path& path);

// A whole token as an int (optional sign, decimal, within the int range).
std::optional<int> parseInt(const std::string& text);
// A whole token as a double (decimal or exponent notation, optional sign).
std::optional<double> parseDouble(const std::string& text);

// The number of the record a token opens: "*7" alone, or "*" followed by the token "7". Sets `used` to
// the number of tokens the opening takes (1 or 2).
std::optional<int> recordStart(const std::vector<Token>& tokens, std::size_t at, std::size_t& used);

}  // namespace varnholt::check
