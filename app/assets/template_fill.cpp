#include "app/assets/template_fill.hpp"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>

namespace corvane {
namespace {

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string escapedFor(const std::string& name, const std::string& value) {
  std::string out;
  for (char c : value) {
    if (endsWith(name, ".xml.in")) {
      out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    } else if (endsWith(name, ".cmake.in")) {
      if (c == '\\' || c == '"' || c == '$' || c == ';') out += '\\';
      out += c;
    } else {
      out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
  }
  return out;
}

bool isKey(std::string_view key) {
  return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
    return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '_';
  });
}

}  // namespace

std::string fillTemplate(const std::string& name, const std::string& text,
                         const std::map<std::string, std::string>& values) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('@', at);
    const std::size_t close = open == std::string::npos ? open : text.find('@', open + 1);
    if (close == std::string::npos) {
      out.append(text, at);
      break;
    }
    out.append(text, at, open - at);
    const std::string key = text.substr(open + 1, close - open - 1);
    if (!isKey(key)) {
      out += '@';
      at = open + 1;
      continue;
    }
    auto value = values.find(key);
    if (value == values.end()) throw std::invalid_argument("no value for @" + key + "@");
    out += value->second == "@" + key + "@" ? value->second : escapedFor(name, value->second);
    at = close + 1;
  }
  return out;
}

}  // namespace corvane
