#include "data/json_syntax.hpp"

#include <cstdio>
#include <vector>

namespace corvane {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The length of the well-formed UTF-8 sequence at `s[i]` (a byte of 0x80 or
// more), or 0: no overlong forms, surrogates or values past U+10FFFF.
std::size_t utf8Length(std::string_view s, std::size_t i) {
  const auto byte = [&s](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
  const unsigned lead = byte(i);
  std::size_t n = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF)
    n = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    n = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
  else if (lead >= 0xF0 && lead <= 0xF4)
    n = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
  else
    return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return n;
}

class Scanner {
 public:
  Scanner(std::string_view text, std::size_t maxDepth) : s_(text), maxDepth_(maxDepth) {}

  std::optional<JsonSyntaxError> run() {
    skipSpace();
    while (!done_)
      if (!(wantValue_ ? startValue() : endValue())) return error_;
    return std::nullopt;
  }

 private:
  // A value begins: a container opens (and may close at once), or a scalar.
  bool startValue() {
    const char c = peek();
    wantValue_ = false;
    if (c != '{' && c != '[') return scalar();
    if (open_.size() >= maxDepth_) return (fail("containers nested deeper than " + std::to_string(maxDepth_)), false);
    open_.push_back(c);
    ++i_;
    skipSpace();
    if (peek() == (c == '{' ? '}' : ']')) {
      open_.pop_back();
      ++i_;
      return true;
    }
    wantValue_ = true;
    return c != '{' || member();
  }

  // After a value: the end of the text, of its container, or a comma.
  bool endValue() {
    skipSpace();
    if (open_.empty()) {
      if (i_ < s_.size()) return (fail("expected the end of the text, found " + found()), false);
      done_ = true;
      return true;
    }
    const char close = open_.back() == '{' ? '}' : ']';
    if (peek() == close) {
      open_.pop_back();
      ++i_;
      return true;
    }
    if (peek() != ',') return (fail(std::string("expected ',' or '") + close + "', found " + found()), false);
    ++i_;
    skipSpace();
    wantValue_ = true;
    return open_.back() != '{' || member();
  }

  char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  void skipSpace() {
    while (i_ < s_.size() && isSpace(s_[i_])) ++i_;
  }

  // What stands at the current place, for a message.
  std::string found() const {
    if (i_ >= s_.size()) return "the end of the text";
    const auto c = static_cast<unsigned char>(s_[i_]);
    char text[16];
    if (c >= 0x20 && c < 0x7F)
      std::snprintf(text, sizeof text, "'%c'", c);
    else
      std::snprintf(text, sizeof text, "byte 0x%02X", c);
    return text;
  }

  std::optional<JsonSyntaxError> fail(std::string what) {
    JsonSyntaxError e;
    e.offset = i_;
    e.what = std::move(what);
    for (std::size_t k = 0; k < i_ && k < s_.size(); ++k) {
      if (s_[k] == '\n') {
        ++e.line;
        e.column = 1;
      } else if ((static_cast<unsigned char>(s_[k]) & 0xC0) != 0x80) {
        ++e.column;  // a character starts here (continuation bytes do not count)
      }
    }
    error_ = std::move(e);
    return error_;
  }

  // A key and its colon; the value follows.
  bool member() {
    if (peek() != '"') return (fail("expected a key in double quotes, found " + found()), false);
    if (!string()) return false;
    skipSpace();
    if (peek() != ':') return (fail("expected ':' after the key, found " + found()), false);
    ++i_;
    skipSpace();
    return true;
  }

  bool scalar() {
    const char c = peek();
    if (c == '"') return string();
    if (c == '-' || isDigit(c)) return number();
    for (std::string_view word : {"true", "false", "null"}) {
      if (c != word[0]) continue;
      for (char w : word) {
        if (peek() != w) return (fail("expected " + std::string(word) + ", found " + found()), false);
        ++i_;
      }
      return true;
    }
    return (fail("expected a value, found " + found()), false);
  }

  bool string() {
    ++i_;  // the opening quote
    while (true) {
      const auto c = static_cast<unsigned char>(peek());
      if (i_ >= s_.size()) return (fail("a string is not closed before the end of the text"), false);
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c < 0x20) return (fail("a control character in a string (write it as \\u00XX), " + found()), false);
      if (c == '\\') {
        ++i_;
        const char e = peek();
        if (e == 'u') {
          for (int k = 1; k <= 4; ++k)
            if (!isHex(i_ + k < s_.size() ? s_[i_ + k] : '\0'))
              return (fail("\\u needs four hexadecimal digits"), false);
          i_ += 5;
        } else if (std::string_view("\"\\/bfnrt").find(e) != std::string_view::npos && e != '\0') {
          ++i_;
        } else {
          return (fail("not an escape: \\ followed by " + found()), false);
        }
      } else if (c >= 0x80) {
        const std::size_t n = utf8Length(s_, i_);
        if (n == 0) return (fail("not UTF-8: " + found()), false);
        i_ += n;
      } else {
        ++i_;
      }
    }
  }

  bool number() {
    if (peek() == '-') ++i_;
    if (peek() == '0') {
      ++i_;
      if (isDigit(peek())) return (fail("a number cannot start with 0 followed by a digit"), false);
    } else if (isDigit(peek())) {
      while (isDigit(peek())) ++i_;
    } else {
      return (fail("expected a digit, found " + found()), false);
    }
    if (peek() == '.') {
      ++i_;
      if (!isDigit(peek())) return (fail("expected a digit after '.', found " + found()), false);
      while (isDigit(peek())) ++i_;
    }
    if (peek() == 'e' || peek() == 'E') {
      ++i_;
      if (peek() == '+' || peek() == '-') ++i_;
      if (!isDigit(peek())) return (fail("expected a digit in the exponent, found " + found()), false);
      while (isDigit(peek())) ++i_;
    }
    return true;
  }

  std::string_view s_;
  std::size_t maxDepth_;
  std::size_t i_ = 0;
  std::vector<char> open_;  // the containers around the current place: '{' or '['
  bool wantValue_ = true;
  bool done_ = false;
  std::optional<JsonSyntaxError> error_;
};

}  // namespace

std::string JsonSyntaxError::describe() const {
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + " (byte " + std::to_string(offset) +
         "): " + what;
}

std::optional<JsonSyntaxError> findJsonSyntaxError(std::string_view text, std::size_t maxDepth) {
  return Scanner(text, maxDepth).run();
}

}  // namespace corvane
