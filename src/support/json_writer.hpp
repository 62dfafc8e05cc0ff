#pragma once
// A compact JSON writer: no whitespace, members in the order written, strings
// escaped (quote, backslash, control characters; other text passed through as
// UTF-8), doubles in the shortest form that reads back to the same value.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(std::string_view name);
  JsonWriter& string(std::string_view text);
  JsonWriter& integer(std::int64_t value);
  // Non-finite values have no JSON form and are written as null.
  JsonWriter& real(double value);
  JsonWriter& boolean(bool value);
  JsonWriter& null();
  // Inserts an already encoded JSON value as it stands.
  JsonWriter& raw(std::string_view json);

  const std::string& str() const { return out_; }
  std::string take() { return std::move(out_); }

 private:
  void beforeValue();
  std::string out_;
  std::vector<bool> needsComma_;  // one flag per open container
  bool afterKey_ = false;
};

// Appends `text` to `out` as a quoted, escaped JSON string.
void appendJsonString(std::string& out, std::string_view text);
// The shortest decimal form of `value` that reads back to the same double.
std::string shortestDouble(double value);

}  // namespace corvane
