#pragma once
// Where a text stops being JSON, for a person to find the fault: the parser
// that decodes snapshots says only that a document is malformed, not where.
// Run only on a text that parser rejected; it follows RFC 8259's grammar
// (UTF-8, no trailing commas, no comments) without building anything.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

struct JsonSyntaxError {
  std::size_t offset = 0;  // bytes from the start of the text
  std::size_t line = 1;    // counted from 1, by line feeds
  std::size_t column = 1;  // characters from the start of the line, from 1
  std::string what;        // "expected ',' or '}', found ']'"

  // "line 2, column 9 (byte 16): expected ..."
  std::string describe() const;
};

// The first place `text` breaks the grammar, or nothing when it is JSON.
// Containers nested deeper than `maxDepth` count as a fault there.
std::optional<JsonSyntaxError> findJsonSyntaxError(std::string_view text, std::size_t maxDepth = 1024);

}  // namespace corvane
