#pragma once
// A minimal JSON reader for the replay state: enough to read back what the runner writes (objects,
// arrays, numbers, strings, booleans) and look fields up by path in the tests.

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace varnholt::testing {

class JsonValue {
 public:
  enum class Kind { Null, Bool, Number, String, Array, Object };

  static JsonValue parse(const std::string& text) {
    std::size_t pos = 0;
    JsonValue value = parseValue(text, pos);
    skipSpace(text, pos);
    if (pos != text.size()) throw std::runtime_error("trailing text after JSON value");
    return value;
  }

  Kind kind() const { return kind_; }
  double number() const { return expect(Kind::Number).number_; }
  int integer() const { return static_cast<int>(number()); }
  bool boolean() const { return expect(Kind::Bool).bool_; }
  const std::string& string() const { return expect(Kind::String).string_; }
  const std::vector<JsonValue>& array() const { return expect(Kind::Array).array_; }
  std::size_t size() const { return array().size(); }
  const JsonValue& operator[](std::size_t i) const { return array().at(i); }
  const JsonValue& operator[](int i) const { return array().at(static_cast<std::size_t>(i)); }
  const JsonValue& operator[](const std::string& key) const {
    const auto& members = expect(Kind::Object).object_;
    auto it = members.find(key);
    if (it == members.end()) throw std::runtime_error("no field '" + key + "'");
    return it->second;
  }
  const JsonValue& operator[](const char* key) const { return (*this)[std::string(key)]; }

 private:
  const JsonValue& expect(Kind kind) const {
    if (kind_ != kind) throw std::runtime_error("JSON value of another kind");
    return *this;
  }
  static void skipSpace(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  }
  static void consume(const std::string& text, std::size_t& pos, char c) {
    skipSpace(text, pos);
    if (pos >= text.size() || text[pos] != c) throw std::runtime_error(std::string("expected '") + c + "'");
    ++pos;
  }
  static std::string parseString(const std::string& text, std::size_t& pos) {
    consume(text, pos, '"');
    std::string out;
    while (pos < text.size() && text[pos] != '"') {
      char c = text[pos++];
      if (c == '\\' && pos < text.size()) {
        char e = text[pos++];
        if (e == 'n') {
          out += '\n';
        } else if (e == 't') {
          out += '\t';
        } else if (e == 'u' && pos + 4 <= text.size()) {
          out += static_cast<char>(std::strtol(text.substr(pos, 4).c_str(), nullptr, 16));
          pos += 4;
        } else {
          out += e;
        }
      } else {
        out += c;
      }
    }
    consume(text, pos, '"');
    return out;
  }
  static JsonValue parseValue(const std::string& text, std::size_t& pos) {
    skipSpace(text, pos);
    if (pos >= text.size()) throw std::runtime_error("unexpected end of JSON");
    JsonValue value;
    const char c = text[pos];
    if (c == '{') {
      value.kind_ = Kind::Object;
      ++pos;
      skipSpace(text, pos);
      if (text[pos] == '}') {
        ++pos;
        return value;
      }
      while (true) {
        std::string key = parseString(text, pos);
        consume(text, pos, ':');
        value.object_.emplace(key, parseValue(text, pos));
        skipSpace(text, pos);
        if (text[pos] == ',') {
          ++pos;
          continue;
        }
        consume(text, pos, '}');
        return value;
      }
    }
    if (c == '[') {
      value.kind_ = Kind::Array;
      ++pos;
      skipSpace(text, pos);
      if (text[pos] == ']') {
        ++pos;
        return value;
      }
      while (true) {
        value.array_.push_back(parseValue(text, pos));
        skipSpace(text, pos);
        if (text[pos] == ',') {
          ++pos;
          continue;
        }
        consume(text, pos, ']');
        return value;
      }
    }
    if (c == '"') {
      value.kind_ = Kind::String;
      value.string_ = parseString(text, pos);
      return value;
    }
    if (text.compare(pos, 4, "true") == 0 || text.compare(pos, 5, "false") == 0) {
      value.kind_ = Kind::Bool;
      value.bool_ = text[pos] == 't';
      pos += value.bool_ ? 4 : 5;
      return value;
    }
    if (text.compare(pos, 4, "null") == 0) {
      pos += 4;
      return value;
    }
    char* end = nullptr;
    value.kind_ = Kind::Number;
    value.number_ = std::strtod(text.c_str() + pos, &end);
    if (end == text.c_str() + pos) throw std::runtime_error("bad JSON at " + std::to_string(pos));
    pos = static_cast<std::size_t>(end - text.c_str());
    return value;
  }

  Kind kind_ = Kind::Null;
  bool bool_ = false;
  double number_ = 0;
  std::string string_;
  std::vector<JsonValue> array_;
  std::map<std::string, JsonValue> object_;
};

}  // namespace varnholt::testing
