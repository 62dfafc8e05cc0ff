#pragma once

#include <string>

#include "platform/ui/node.hpp"

namespace corvane {

// The text in the given case, by Unicode rules for the locale (ICU).
std::string applyTextCase(const std::string& text, TextCase textCase, const std::string& locale);

}  // namespace corvane
