#pragma once
// Finds, reads and decodes the snapshot file, and holds the built-in sample.
// The store never writes, creates, locks or watches the file: every load reads
// it from scratch.

#include <cstddef>
#include <optional>
#include <string>

#include "data/decode.hpp"
#include "data/records.hpp"

namespace corvane {

class Store {
 public:
  Store() = delete;

  // The fixed place of the file below the home directory.
  static constexpr const char* kRelativePath = "/Library/Application Support/Corvane/widget.json";
  // A larger file is not read at all (it is no data): real snapshots are a
  // few kilobytes, and reading gigabytes would stall the host for seconds.
  static constexpr std::size_t kMaxFileBytes = std::size_t(32) << 20;

  // The snapshot file's absolute path: the user database's home directory of
  // the real user id, followed by kRelativePath. HOME plays no part. Absent
  // when the user has no record or the record has no home directory.
  static std::optional<std::string> file();

  // The file decoded, or absent for any problem (no path, missing, unreadable,
  // not a regular file, invalid). Never fails towards its caller. A file that
  // changes while it is read, or is invalid just after being modified, is
  // read again until a read finds it unchanged (for half a second at most).
  // `why`, if given, is told why there is no snapshot ("PATH: RULE" for an
  // invalid file, as check says it), or cleared.
  static std::optional<Snapshot> load(std::string* why = nullptr);

  // The built-in sample, built once per process on first use.
  static Snapshot sample();

  // The same steps as file() and load(), for a given home directory or path,
  // so tests and tools never touch the real home directory.
  static std::string fileIn(const std::string& home);
  static std::optional<Snapshot> loadFrom(const std::string& path, std::string* why = nullptr);

  // The real user's home directory from the user database.
  static std::optional<std::string> homeDirectory();

  // The sample's records with the given time; sample() calls it once.
  static Snapshot makeSample(double at);
};

}  // namespace corvane
