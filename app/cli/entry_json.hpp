#pragma once
// How the command line writes entries and requests as JSON.

#include <optional>
#include <string>
#include <string_view>

#include "support/json_writer.hpp"
#include "timeline/entry.hpp"

namespace corvane {

// {"date":D,"data":S} with S the encoded snapshot or null.
void writeEntry(JsonWriter& out, const Entry& entry);

// One line of `timeline`: {"request":R[,"preview":P],"date":D,"data":S[,"reloadAfter":A]}.
std::string entryLine(std::string_view request, std::optional<bool> preview, const Entry& entry,
                      std::optional<Date> reloadAfter);

}  // namespace corvane
