#include "platform/ui/tree/text_content.hpp"

#include "platform/ui/text/time_format.hpp"
#include "platform/ui/tree/environment.hpp"

namespace corvane {

Interpolation& Interpolation::literal(std::string_view text) {
  for (char c : text) {
    if (c == '%') key_.push_back('%');
    key_.push_back(c);
  }
  return *this;
}

Interpolation& Interpolation::integer(std::int64_t value) {
  key_ += "%lld";
  arguments_.emplace_back(value);
  return *this;
}

Interpolation& Interpolation::string(std::string_view value) {
  key_ += "%@";
  arguments_.emplace_back(std::string(value));
  return *this;
}

std::string formatKey(std::string_view key, const std::vector<TextArgument>& arguments) {
  std::string out;
  std::size_t next = 0;
  auto argument = [&]() -> std::string {
    if (next >= arguments.size()) return {};
    const TextArgument& a = arguments[next++];
    if (const auto* i = std::get_if<std::int64_t>(&a)) return std::to_string(*i);
    return std::get<std::string>(a);
  };
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (key[i] != '%') {
      out.push_back(key[i]);
    } else if (key.substr(i, 2) == "%%") {
      out.push_back('%');
      i += 1;
    } else if (key.substr(i, 4) == "%lld") {
      out += argument();
      i += 3;
    } else if (key.substr(i, 2) == "%@") {
      out += argument();
      i += 1;
    } else {
      out.push_back('%');
    }
  }
  return out;
}

std::string renderText(const TextContent& text, const Environment& env) {
  switch (text.kind) {
    case TextKind::verbatim:
    case TextKind::key: return text.string;  // no translation table is present
    case TextKind::interpolation: return formatKey(text.string, text.arguments);
    case TextKind::relative: return formatRelative(text.date, env.now(), env.locale);
  }
  return {};
}

}  // namespace corvane
