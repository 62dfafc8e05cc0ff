#include "support/json_writer.hpp"

#include <charconv>
#include <cmath>

namespace corvane {

void appendJsonString(std::string& out, std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  out.push_back('"');
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out.push_back(hex[c >> 4]);
          out.push_back(hex[c & 0xF]);
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

std::string shortestDouble(double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  if (ec != std::errc{}) return "null";
  std::string_view text(buf, static_cast<std::size_t>(end - buf));
  // "-0" would read back as the integer 0 and lose its sign.
  if (text == "-0") return "-0.0";
  // A whole number beyond the 64-bit integers written without a fraction or
  // exponent ("18446744073709551616") is a JSON integer that strict parsers
  // refuse; the scientific form reads back as the same double.
  if (text.find_first_of(".e") == std::string_view::npos && std::fabs(value) >= 9223372036854775808.0) {
    auto scientific = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    if (scientific.ec != std::errc{}) return "null";
    text = std::string_view(buf, static_cast<std::size_t>(scientific.ptr - buf));
  }
  return std::string(text);
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!needsComma_.empty()) {
    if (needsComma_.back()) out_.push_back(',');
    needsComma_.back() = true;
  }
}

JsonWriter& JsonWriter::beginObject() {
  beforeValue();
  out_.push_back('{');
  needsComma_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  out_.push_back('}');
  needsComma_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  beforeValue();
  out_.push_back('[');
  needsComma_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  out_.push_back(']');
  needsComma_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  beforeValue();
  appendJsonString(out_, name);
  out_.push_back(':');
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::string(std::string_view text) {
  beforeValue();
  appendJsonString(out_, text);
  return *this;
}

JsonWriter& JsonWriter::integer(std::int64_t value) {
  beforeValue();
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  out_.append(buf, end);
  return *this;
}

JsonWriter& JsonWriter::real(double value) {
  beforeValue();
  out_ += std::isfinite(value) ? shortestDouble(value) : std::string("null");
  return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
  beforeValue();
  out_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::null() {
  beforeValue();
  out_ += "null";
  return *this;
}

JsonWriter& JsonWriter::raw(std::string_view json) {
  beforeValue();
  out_ += json;
  return *this;
}

}  // namespace corvane
