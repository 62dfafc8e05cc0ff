#pragma once

#include <string>

namespace corvane {

enum class TextCase { uppercase, lowercase };

// The text in the given case, by Unicode rules for the locale (ICU).
std::string applyTextCase(const std::string& text, TextCase textCase, const std::string& locale);

}  // namespace corvane
