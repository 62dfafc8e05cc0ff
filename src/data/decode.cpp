#include "data/decode.hpp"

#include <simdjson.h>

#include <array>
#include <cmath>
#include <utility>

#include "data/json_syntax.hpp"
#include "support/file_io.hpp"
#include "support/json_writer.hpp"

namespace corvane {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

// The JSON path of the value being decoded, kept on the stack as a chain of
// parents and rendered only when an error needs it.
struct Path {
  const Path* parent = nullptr;
  std::string_view key;  // member name, or empty for an array element
  std::size_t index = 0;

  Path member(std::string_view name) const { return {this, name, 0}; }
  Path element(std::size_t i) const { return {this, {}, i}; }

  std::string render() const {
    if (!parent) return "(document)";
    std::string up = parent->parent ? parent->render() : std::string();
    if (!key.empty()) return up.empty() ? std::string(key) : up + "." + std::string(key);
    return up + "[" + std::to_string(index) + "]";
  }
};

// Thrown inside this file only, caught at the entry point: it keeps every
// field reader a straight line without threading an error through each call.
struct Failure {
  DecodeError error;
};

[[noreturn]] void fail(const Path& at, std::string message) { throw Failure{{at.render(), std::move(message)}}; }

const char* describeType(const element& e) {
  switch (e.type()) {
    case element_type::ARRAY: return "an array";
    case element_type::OBJECT: return "an object";
    case element_type::INT64:
    case element_type::UINT64:
    case element_type::DOUBLE: return "a number";
    case element_type::STRING: return "a string";
    case element_type::BOOL: return "a boolean";
    case element_type::NULL_VALUE: return "null";
  }
  return "an unknown value";
}

[[noreturn]] void wrongType(const Path& at, const char* expected, const element& found) {
  fail(at, std::string("expected ") + expected + ", found " + describeType(found));
}

// The members of one object that a record knows, found in a single pass over
// the object (the first occurrence of a key wins), then read in field order.
template <std::size_t N>
class Fields {
 public:
  Fields(simdjson::dom::object obj, const Path& path, const std::array<std::string_view, N>& names)
      : path_(path), names_(names) {
    for (auto [key, value] : obj) {
      for (std::size_t i = 0; i < N; ++i) {
        if (!found_[i] && key == names_[i]) {
          slots_[i] = value;
          found_[i] = true;
          break;
        }
      }
    }
  }

  // A required member: present and not null.
  std::pair<element, Path> required(std::size_t i) const {
    if (!found_[i]) fail(path_, "missing key \"" + std::string(names_[i]) + "\"");
    return {slots_[i], path_.member(names_[i])};
  }

  // An optional member: absent when missing or null.
  std::optional<std::pair<element, Path>> optional(std::size_t i) const {
    if (!found_[i] || slots_[i].is_null()) return std::nullopt;
    return std::pair{slots_[i], path_.member(names_[i])};
  }

 private:
  const Path& path_;
  const std::array<std::string_view, N>& names_;
  std::array<element, N> slots_{};
  std::array<bool, N> found_{};
};

std::int64_t asInt(const element& e, const Path& at) {
  switch (e.type()) {
    case element_type::INT64: return e.get_int64().value_unsafe();
    case element_type::UINT64:
      fail(at, std::to_string(e.get_uint64().value_unsafe()) + " is outside the signed 64-bit range");
    case element_type::DOUBLE: {
      // A whole number written with a fraction or an exponent (18.0, 1.8e1)
      // is that number; 2^63 is the first double past the int64 range.
      double d = e.get_double().value_unsafe();
      if (d != std::floor(d)) fail(at, shortestDouble(d) + " is not a whole number");
      if (d < -9223372036854775808.0 || d >= 9223372036854775808.0)
        fail(at, shortestDouble(d) + " is outside the signed 64-bit range");
      return static_cast<std::int64_t>(d);
    }
    default: wrongType(at, "a whole number", e);
  }
}

template <std::size_t N>
std::int64_t requiredInt(const Fields<N>& f, std::size_t name) {
  auto [e, at] = f.required(name);
  return asInt(e, at);
}

template <std::size_t N>
std::optional<std::int64_t> optionalInt(const Fields<N>& f, std::size_t name) {
  auto member = f.optional(name);
  if (!member) return std::nullopt;
  if (!member->first.is_number()) wrongType(member->second, "a whole number or null", member->first);
  return asInt(member->first, member->second);
}

template <std::size_t N>
double requiredDouble(const Fields<N>& f, std::size_t name) {
  auto [e, at] = f.required(name);
  if (!e.is_number()) wrongType(at, "a number", e);
  return e.get_double().value_unsafe();
}

template <std::size_t N>
bool requiredBool(const Fields<N>& f, std::size_t name) {
  auto [e, at] = f.required(name);
  if (!e.is_bool()) wrongType(at, "true or false", e);
  return e.get_bool().value_unsafe();
}

template <std::size_t N>
void requiredString(const Fields<N>& f, std::size_t name, std::string& into) {
  auto [e, at] = f.required(name);
  if (!e.is_string()) wrongType(at, "a string", e);
  into.assign(e.get_string().value_unsafe());
}

simdjson::dom::object asObject(const element& e, const Path& at) {
  if (!e.is_object()) wrongType(at, "an object", e);
  return e.get_object().value_unsafe();
}

template <class Record, std::size_t N, class DecodeOne>
std::vector<Record> requiredArray(const Fields<N>& f, std::size_t name, DecodeOne decodeOne) {
  auto [e, at] = f.required(name);
  if (!e.is_array()) wrongType(at, "an array", e);
  auto arr = e.get_array().value_unsafe();
  std::vector<Record> out;
  out.reserve(arr.size());
  std::size_t i = 0;
  for (element item : arr) {
    Path itemPath = at.element(i++);
    decodeOne(asObject(item, itemPath), itemPath, out.emplace_back());  // built in place
  }
  return out;
}

constexpr std::array<std::string_view, 3> kCellKeys{"n", "v", "s"};
constexpr std::array<std::string_view, 6> kAccountKeys{"u", "state", "dms", "cap", "note", "plan"};
constexpr std::array<std::string_view, 10> kSnapshotKeys{"v",       "at",      "connected", "dms",   "cap",
                                                         "replies", "actions", "running",   "needs", "accounts"};

void decodePlanCell(simdjson::dom::object obj, const Path& path, PlanCell& c) {
  Fields f(obj, path, kCellKeys);
  requiredString(f, 0, c.n);
  requiredString(f, 1, c.v);
  requiredString(f, 2, c.s);
}

void decodeAccount(simdjson::dom::object obj, const Path& path, Account& a) {
  Fields f(obj, path, kAccountKeys);
  requiredString(f, 0, a.u);
  requiredString(f, 1, a.state);
  a.dms = requiredInt(f, 2);
  a.cap = optionalInt(f, 3);
  requiredString(f, 4, a.note);
  a.plan = requiredArray<PlanCell>(f, 5, decodePlanCell);
}

Snapshot decodeSnapshotObject(simdjson::dom::object obj, const Path& path) {
  Fields f(obj, path, kSnapshotKeys);
  Snapshot s;
  s.v = requiredInt(f, 0);
  s.at = requiredDouble(f, 1);
  s.connected = requiredBool(f, 2);
  s.dms = requiredInt(f, 3);
  s.cap = optionalInt(f, 4);
  s.replies = requiredInt(f, 5);
  s.actions = requiredInt(f, 6);
  s.running = requiredInt(f, 7);
  s.needs = requiredInt(f, 8);
  s.accounts = requiredArray<Account>(f, 9, decodeAccount);
  return s;
}

// One parser per thread: it keeps its buffers between documents, and the
// host may decode on several threads at once.
simdjson::dom::parser& threadParser() {
  thread_local simdjson::dom::parser parser;
  return parser;
}

}  // namespace

static_assert(kFileReadSlack >= simdjson::SIMDJSON_PADDING, "files are read with room for the parser to read ahead");

Decoded decodeSnapshot(std::string_view json, std::size_t readable) {
  const Path root;
  element doc;
  // simdjson reads up to SIMDJSON_PADDING bytes past the text; a file read
  // with that much to spare is parsed in place, anything else is copied.
  const bool padded = readable >= json.size() + simdjson::SIMDJSON_PADDING;
  if (auto err = threadParser().parse(json.data(), json.size(), !padded).get(doc); err != simdjson::SUCCESS) {
    // Where the text breaks the grammar, when it does; else what the parser says
    // (a document too large, for one).
    if (auto syntax = findJsonSyntaxError(json, simdjson::DEFAULT_MAX_DEPTH))
      return {std::nullopt, {root.render(), "not valid JSON: " + syntax->describe()}};
    return {std::nullopt, {root.render(), std::string("not valid JSON (") + simdjson::error_message(err) + ")"}};
  }
  try {
    return {decodeSnapshotObject(asObject(doc, root), root), {}};
  } catch (Failure& f) {
    return {std::nullopt, std::move(f.error)};
  }
}

}  // namespace corvane
