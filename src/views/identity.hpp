#pragma once
// The identity of a ForEach element that is identified by its whole value:
// the value's JSON, so equal values have equal identities.

#include "data/encode.hpp"
#include "support/json_writer.hpp"

namespace corvane {

template <class Record>
std::string identityOf(const Record& value) {
  JsonWriter out;
  encode(out, value);
  return out.take();
}

}  // namespace corvane
