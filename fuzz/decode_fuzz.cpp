// Decoding never crashes, and whatever decodes re-encodes to a document that
// decodes to equal records.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/decode.hpp"
#include "data/encode.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  Decoded first = decodeSnapshot(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!first) return 0;
  const std::string json = toJson(*first.snapshot);
  Decoded second = decodeSnapshot(json);
  if (!second) std::abort();
  const Snapshot& a = *first.snapshot;
  const Snapshot& b = *second.snapshot;
  bool same = a.v == b.v && (a.at == b.at) && a.connected == b.connected && a.dms == b.dms && a.cap == b.cap &&
              a.replies == b.replies && a.actions == b.actions && a.running == b.running && a.needs == b.needs &&
              a.accounts == b.accounts && toJson(b) == json;
  if (!same) std::abort();
  return 0;
}
