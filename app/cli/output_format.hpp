#pragma once
// The one rule for the format of a file a command writes: the format given
// with --format, else the one the file's extension names, else a default;
// a --format that contradicts the extension is refused, so that no file
// holds other than its name says.

#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct OutputFormats {
  std::vector<std::string> names;                            // "png", "svg", ...: also the extensions that name them
  std::vector<std::pair<std::string, std::string>> aliases;  // another extension of a format: {"htm", "html"}
  std::optional<std::string> fallback;  // when neither --format nor the extension says; none: refused
};

// The format to write `out` in, given --format (empty when not given).
// Throws CommandFailure when --format contradicts the extension, or when
// nothing says and there is no fallback.
std::string outputFormat(const std::string& given, const std::string& out, const OutputFormats& formats);

// The format the extension of `path` names, compared without case.
std::optional<std::string> formatOfExtension(const std::string& path, const OutputFormats& formats);

}  // namespace corvane
