#pragma once
// What a Text shows, in the toolkit's four kinds: a plain string shown
// verbatim, a localisable literal key, a localisable interpolation (literal
// pieces, strings and "%lld" integers, kept as key and arguments), and a date
// in the live relative style.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/protocol/date.hpp"

namespace corvane {

struct Environment;

using TextArgument = std::variant<std::int64_t, std::string>;

enum class TextKind { verbatim, key, interpolation, relative };

struct TextContent {
  TextKind kind = TextKind::verbatim;
  std::string string;                   // the verbatim string, the key, or the interpolation's key
  std::vector<TextArgument> arguments;  // interpolation only, in order
  Date date{};                          // relative only

  friend bool operator==(const TextContent&, const TextContent&) = default;
};

// Builds an interpolation's key and arguments piece by piece: literal text is
// kept in the key ('%' doubled), an integer becomes "%lld", a string "%@".
class Interpolation {
 public:
  Interpolation& literal(std::string_view text);
  Interpolation& integer(std::int64_t value);
  Interpolation& string(std::string_view value);

  TextContent content() const { return {TextKind::interpolation, key_, arguments_, {}}; }

 private:
  std::string key_;
  std::vector<TextArgument> arguments_;
};

// What a person reads: keys and interpolations with no translation present
// render as their plain text; a relative date as a duration from now.
std::string renderText(const TextContent& text, const Environment& env);

// Substitutes the arguments into a format key ("%lld", "%@", "%%").
std::string formatKey(std::string_view key, const std::vector<TextArgument>& arguments);

}  // namespace corvane
