#include "data/json_syntax.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

struct Located {
  std::string text;
  std::string error;  // describe(), or empty: valid JSON
};

TEST(JsonSyntax, NamesTheLineColumnAndByteOfTheFirstFault) {
  const std::vector<Located> cases = {
      {R"({"a": [1, 2.5e-3, -0, "x\u00e9\n", true, false, null, {}, []]})", ""},
      {" \t\r\n[]\n", ""},
      {"", "line 1, column 1 (byte 0): expected a value, found the end of the text"},
      {"{\"v\":1,\n \"at\":1,,}", "line 2, column 9 (byte 16): expected a key in double quotes, found ','"},
      {R"({"a":[1,2,]})", "line 1, column 11 (byte 10): expected a value, found ']'"},
      {R"({"a" 1})", "line 1, column 6 (byte 5): expected ':' after the key, found '1'"},
      {"[1 2]", "line 1, column 4 (byte 3): expected ',' or ']', found '2'"},
      {R"({"a":1]})", "line 1, column 7 (byte 6): expected ',' or '}', found ']'"},
      {R"({"a":tru})", "line 1, column 9 (byte 8): expected true, found '}'"},
      {R"({"a":"x)", "line 1, column 8 (byte 7): a string is not closed before the end of the text"},
      {R"({"a":1}})", "line 1, column 8 (byte 7): expected the end of the text, found '}'"},
      {R"({"a":01})", "line 1, column 7 (byte 6): a number cannot start with 0 followed by a digit"},
      {R"({"a":1.})", "line 1, column 8 (byte 7): expected a digit after '.', found '}'"},
      {R"({"a":"\q"})", "line 1, column 8 (byte 7): not an escape: \\ followed by 'q'"},
      {R"(["\u12G4"])", "line 1, column 4 (byte 3): \\u needs four hexadecimal digits"},
      {"[\"a\tb\"]", "line 1, column 4 (byte 3): a control character in a string (write it as \\u00XX), byte 0x09"},
      // Columns count characters: "é" is two bytes, one column.
      {"[\"\xc3\xa9\xff\"]", "line 1, column 4 (byte 4): not UTF-8: byte 0xFF"},
      {"[\"\xed\xa0\x80\"]", "line 1, column 3 (byte 2): not UTF-8: byte 0xED"},  // a surrogate
      {"[\"\xc0\xaf\"]", "line 1, column 3 (byte 2): not UTF-8: byte 0xC0"},      // overlong
      {"[[[1]]]", "line 1, column 3 (byte 2): containers nested deeper than 2"},
      {"// no comments\n{}", "line 1, column 1 (byte 0): expected a value, found '/'"},
  };
  for (const Located& c : cases) {
    SCOPED_TRACE(c.text);
    const auto error = findJsonSyntaxError(c.text, 2 + (c.text.starts_with("[[[") ? 0 : 100));
    EXPECT_EQ(error ? error->describe() : "", c.error);
  }
}

}  // namespace
}  // namespace corvane
