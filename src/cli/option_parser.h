#pragma once
// The one command-line reader of the game and its tools. Each program declares its options (flags, and
// options that take a value as "--name VALUE" or "--name=VALUE") with what to do when one is seen; the
// parser walks the arguments in order and reports the first mistake as one line of text. The programs
// keep their own usage texts and exit codes.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnholt::cli {

class OptionParser {
 public:
  // Takes an option's value; returns an empty string when the value is good, else the error line.
  using ValueHandler = std::function<std::string(const std::string& value)>;

  // A flag under one or more names ("--help", "-h"). A flag marked `stops` ends the parse where it
  // stands: what follows it is not read (the tools' --help prints its text whatever else is given).
  OptionParser& flag(std::vector<std::string> names, std::function<void()> seen, bool stops = false);
  // An option with a value. A missing or empty value is the error "NAME needs NEEDS".
  OptionParser& value(std::string name, std::string needs, ValueHandler take);

  struct Result {
    std::string error;     // empty when every argument was understood
    bool stopped = false;  // a stopping flag was seen (its handler ran, nothing after it was read)
    bool ok() const { return error.empty(); }
  };
  // Parses the arguments after the program name.
  Result parse(const std::vector<std::string>& args) const;
  Result parse(int argc, const char* const* argv) const;

 private:
  struct Option {
    std::vector<std::string> names;
    bool takesValue = false;
    bool stops = false;
    std::string needs;
    std::function<void()> seen;
    ValueHandler take;
  };
  const Option* find(const std::string& name) const;
  std::vector<Option> options_;
};

// A value handler that stores the value in `into`: a string or a path, or an optional of either.
template <typename T>
OptionParser::ValueHandler storeIn(T& into) {
  return [&into](const std::string& value) {
    into = value;
    return std::string();
  };
}

// A value handler that stores a whole number of at least `least` in `into`, and answers `error` for
// anything else.
OptionParser::ValueHandler numberIn(int& into, int least, std::string error);

// A whole decimal number of at least `least` that fits an int, and nothing else ("12", not "12x",
// " 12" or "1e3").
std::optional<int> parseNumber(const std::string& text, int least);

}  // namespace varnholt::cli
