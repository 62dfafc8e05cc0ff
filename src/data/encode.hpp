#pragma once
// Encoding of the records as compact JSON, the inverse of decoding: members in
// field order, `cap` written only when present.

#include <string>

#include "data/records.hpp"
#include "support/json_writer.hpp"

namespace corvane {

void encode(JsonWriter& out, const PlanCell& cell);
void encode(JsonWriter& out, const Account& account);
void encode(JsonWriter& out, const Snapshot& snapshot);

std::string toJson(const Snapshot& snapshot);

}  // namespace corvane
