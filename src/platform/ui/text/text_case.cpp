#include "platform/ui/text/text_case.hpp"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace corvane {

std::string applyTextCase(const std::string& text, TextCase textCase, const std::string& locale) {
  icu::UnicodeString s = icu::UnicodeString::fromUTF8(text);
  icu::Locale loc(locale.c_str());
  if (textCase == TextCase::uppercase)
    s.toUpper(loc);
  else
    s.toLower(loc);
  std::string out;
  s.toUTF8String(out);
  return out;
}

}  // namespace corvane
