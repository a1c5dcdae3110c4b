// Reading the command line.
#include "cli/option_parser.h"

#include <charconv>

namespace varnholt::cli {

OptionParser& OptionParser::flag(std::vector<std::string> names, std::function<void()> seen, bool stops) {
  Option option;
  option.names = std::move(names);
  option.stops = stops;
  option.seen = std::move(seen);
  options_.push_back(std::move(option));
  return *this;
}

OptionParser& OptionParser::value(std::string name, std::string needs, ValueHandler take) {
  Option option;
  option.names = {std::move(name)};
  option.takesValue = true;
  option.needs = std::move(needs);
  option.take = std::move(take);
  options_.push_back(std::move(option));
  return *this;
}

const OptionParser::Option* OptionParser::find(const std::string& name) const {
  for (const Option& option : options_)
    for (const std::string& candidate : option.names)
      if (candidate == name) return &option;
  return nullptr;
}

OptionParser::Result OptionParser::parse(const std::vector<std::string>& args) const {
  Result result;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // "--name=value" names the option before the first '='; a lone "-" or a word is never an option.
    const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
    const std::string name = equals == std::string::npos ? arg : arg.substr(0, equals);
    const Option* option = find(name);
    if (option == nullptr) {
      result.error = "unknown option '" + arg + "'";
      return result;
    }
    if (!option->takesValue) {
      if (equals != std::string::npos) {
        result.error = name + " takes no value";
        return result;
      }
      if (option->seen) option->seen();
      if (option->stops) {
        result.stopped = true;
        return result;
      }
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    }
    if (value.empty()) {
      result.error = name + " needs " + option->needs;
      return result;
    }
    if (std::string error = option->take(value); !error.empty()) {
      result.error = std::move(error);
      return result;
    }
  }
  return result;
}

OptionParser::Result OptionParser::parse(int argc, const char* const* argv) const {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return parse(args);
}

std::optional<int> parseNumber(const std::string& text, int least) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || stop != end || value < least) return std::nullopt;
  return value;
}

OptionParser::ValueHandler numberIn(int& into, int least, std::string error) {
  return [&into, least, error = std::move(error)](const std::string& value) {
    const auto number = parseNumber(value, least);
    if (!number) return error;
    into = *number;
    return std::string();
  };
}

}  // namespace varnholt::cli
