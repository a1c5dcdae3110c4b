#pragma once
// A small streaming JSON writer for the replay state: objects, arrays, numbers, booleans and strings,
// with commas placed by the writer so callers only name fields in order.

#include <ostream>
#include <string_view>
#include <vector>

namespace varnholt::replay {

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // The name of the next value inside an object.
  JsonWriter& key(std::string_view name);
  JsonWriter& value(long long number);
  JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
  // Floats are written with the shortest text that reads back as the same float.
  JsonWriter& value(float number);
  JsonWriter& value(bool flag);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }

 private:
  void separate();
  void writeString(std::string_view text);

  std::ostream& out_;
  // One entry per open object or array: whether it has a member yet.
  std::vector<bool> hasMember_;
  bool afterKey_ = false;
};

}  // namespace varnholt::replay
