#pragma once
// Whole-file reading and atomic writing, with the system's reason on failure.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Bytes a read keeps free past the content, so that a JSON parser that reads
// ahead in blocks can parse the content where it is instead of copying it.
inline constexpr std::size_t kFileReadSlack = 64;

struct FileRead {
  std::optional<std::string> bytes;  // the whole content, or nothing
  std::string reason;                // why nothing was read (strerror text)
  // Whether the file changed while it was read: its size or modification
  // time moved, the bytes read differ in number from its size, or another
  // file stands at the path by the end. The bytes may then mix two versions
  // or stop short; reading again is the remedy.
  bool changed = false;
  double modified = 0;  // the file's last modification, seconds since 1970
};

// Reads the whole of a regular file of at most `limit` bytes. Anything else
// at the path (a FIFO, a socket, a device, a directory) is refused at once:
// opening does not block and nothing is read, so a stray pipe can never
// hang the caller. A larger file is refused from its size, before any of it
// is read (and one that grows past the limit while read, once it does).
FileRead readRegularFile(const std::string& path, std::size_t limit);

// Reads standard input to its end, refusing it past `limit` bytes.
FileRead readStandardInput(std::size_t limit);

// Why a file over `limit` bytes (`size`, if known) was not read.
std::string tooLargeReason(std::size_t limit, std::optional<std::size_t> size = std::nullopt);

// Whether a written file must survive a crash or power cut: a person's
// settings must (an empty file after a crash loses them); a picture that is
// rewritten within the minute need not.
enum class Durability { renamed, synced };

// Writes `bytes` to a temporary file beside `requested` and renames it into
// place, so a reader sees either the old file or the whole new one. A
// symbolic link at `requested` is written through: the file it leads to is replaced and the
// link stays (a dotfile manager's link, say). Only a regular file is ever
// replaced: anything else there (a device, a folder, a pipe) is refused,
// with kNotRegularFile. A file that is replaced keeps its permissions (a
// person may have changed them); a new one gets those of any new file under
// the process's umask. `synced` writes the
// bytes to the disk before the rename and the rename before returning.
// Returns the system's reason on failure (the temporary file is then
// removed), or nothing on success.
inline constexpr const char* kNotRegularFile = "not a regular file, so it is not replaced";
std::optional<std::string> writeFileAtomically(const std::string& requested, std::string_view bytes,
                                               Durability durability = Durability::renamed);

// Removes the temporary files that writes of `path` left behind when their
// process ended before the rename (a crash, a kill): those whose process is
// gone. Returns how many were removed.
int removeStaleTemporaries(const std::string& path);

// Where a write of `path` lands: the end of the chain of symbolic links at
// `path` (relative links resolved from their own folder), else `path`.
std::string writeTarget(const std::string& path);

}  // namespace corvane
