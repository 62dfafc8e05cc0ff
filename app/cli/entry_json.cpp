#include "app/cli/entry_json.hpp"

#include "data/encode.hpp"

namespace corvane {
namespace {

void writeDateAndData(JsonWriter& out, const Entry& entry) {
  out.key("date").real(entry.date.sinceEpoch).key("data");
  if (entry.data)
    encode(out, *entry.data);
  else
    out.null();
}

}  // namespace

void writeEntry(JsonWriter& out, const Entry& entry) {
  out.beginObject();
  writeDateAndData(out, entry);
  out.endObject();
}

std::string entryLine(std::string_view request, std::optional<bool> preview, const Entry& entry,
                      std::optional<Date> reloadAfter) {
  JsonWriter out;
  out.beginObject().key("request").string(request);
  if (preview) out.key("preview").boolean(*preview);
  writeDateAndData(out, entry);
  if (reloadAfter) out.key("reloadAfter").real(reloadAfter->sinceEpoch);
  out.endObject();
  return out.take();
}

}  // namespace corvane
