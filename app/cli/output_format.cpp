#include "app/cli/output_format.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/cli/exit_codes.hpp"

namespace corvane {

std::optional<std::string> formatOfExtension(const std::string& path, const OutputFormats& formats) {
  std::string ext = std::filesystem::path(path).extension().string();
  if (ext.empty()) return std::nullopt;
  ext.erase(0, 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  if (std::find(formats.names.begin(), formats.names.end(), ext) != formats.names.end()) return ext;
  for (const auto& [alias, name] : formats.aliases)
    if (alias == ext) return name;
  return std::nullopt;
}

std::string outputFormat(const std::string& given, const std::string& out, const OutputFormats& formats) {
  const auto named = formatOfExtension(out, formats);
  if (!given.empty()) {
    if (named && *named != given)
      throw CommandFailure(kExitUsage, "--format " + given + " contradicts --out " + out +
                                           ": give a file name ending in ." + given + ", or leave out --format");
    return given;
  }
  if (named) return *named;
  if (formats.fallback) return *formats.fallback;
  std::string list;
  for (std::size_t i = 0; i < formats.names.size(); ++i)
    list += (i == 0 ? "." : i + 1 == formats.names.size() ? " or ." : ", .") + formats.names[i];
  throw CommandFailure(kExitUsage, "--out " + out + ": name the file " + list + ", or give --format");
}

}  // namespace corvane
