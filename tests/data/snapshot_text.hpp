#pragma once
// A valid snapshot document for tests, and a way to change one piece of it.

#include <stdexcept>
#include <string>

namespace corvane::testing {

inline const std::string kValidDocument =
    R"({"v": 1, "at": 600.5, "connected": true, "dms": 18, "cap": 70,)"
    R"( "replies": 2, "actions": 24, "running": 1, "needs": 1,)"
    R"( "accounts": [{"u": "harbor_lantern", "state": "err", "dms": 0, "cap": 30, "note": "Needs you", "plan": []},)"
    R"( {"u": "quiet_orchard", "state": "run", "dms": 18, "cap": 40,)"
    R"( "note": "Running", "plan": [{"n": "Feed", "v": "9/9", "s": "full"}, {"n": "Shares", "v": "-", "s": "off"}]}]})";

// kValidDocument with the first occurrence of `from` replaced by `to`.
inline std::string withReplaced(const std::string& from, const std::string& to) {
  std::string doc = kValidDocument;
  auto pos = doc.find(from);
  if (pos == std::string::npos) throw std::invalid_argument("not in the document: " + from);
  return doc.replace(pos, from.size(), to);
}

}  // namespace corvane::testing
