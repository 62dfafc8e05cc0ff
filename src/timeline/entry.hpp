#pragma once
// One timeline entry: when the host shows it, and what it shows.

#include <optional>

#include "data/records.hpp"
#include "platform/protocol/date.hpp"

namespace corvane {

struct Entry {
  Date date;                     // the moment the entry was made
  std::optional<Snapshot> data;  // absent when there is no usable file
};

}  // namespace corvane
