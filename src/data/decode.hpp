#pragma once
// Strict, all-or-nothing decoding of the snapshot file. The whole document is
// validated (grammar, UTF-8, numbers, the values of unknown keys too); fields
// are read in declaration order and the first failure ends decoding.

#include <optional>
#include <string>
#include <string_view>

#include "data/records.hpp"

namespace corvane {

struct DecodeError {
  std::string path;     // "accounts[1].plan[0]", "connected" or "(document)"
  std::string message;  // the rule broken, e.g. `missing key "s"`

  std::string describe() const { return path + ": " + message; }
};

struct Decoded {
  std::optional<Snapshot> snapshot;
  DecodeError error;  // meaningful only when there is no snapshot

  explicit operator bool() const { return snapshot.has_value(); }
};

// Decodes a JSON text into a Snapshot, or says where and why it is not one.
// `readable`: how many bytes from `json.data()` may be read (at least
// json.size()); with enough of them past the text, it is parsed where it is
// rather than copied first.
Decoded decodeSnapshot(std::string_view json, std::size_t readable = 0);

}  // namespace corvane
